#include "weapons/AmmoCounter.h"

#include "config/Config.h"
#include "host/Native.h"

namespace {
constexpr NativeHash HideHudComponentThisFrame = 0x6806C51AD12B83B8;
constexpr std::int32_t AmmoCounterComponents[] = {2, 20};
}  // namespace

void HideAmmoCounterStep() {
  if (!Config.HideAmmoHud) return;
  for (std::int32_t component : AmmoCounterComponents) CallNative(HideHudComponentThisFrame, component);
}
