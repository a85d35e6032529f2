#include "weapons/AmmoCounter.h"

#include "config/Config.h"
#include "host/Native.h"
#include "host/SharedNatives.h"

namespace {
constexpr std::int32_t AmmoCounterComponents[] = {2, 20};
}  // namespace

void HideAmmoCounterStep() {
  if (!Config.HideAmmoHud) return;
  for (std::int32_t component : AmmoCounterComponents)
    CallNative(shared_native::HideHudComponentThisFrame, component);
}
