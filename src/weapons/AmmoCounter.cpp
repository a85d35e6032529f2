#include "weapons/AmmoCounter.h"

#include "config/Config.h"
#include "host/Natives.h"

void HideAmmoCounterStep() {
  if (!Config.HideAmmoHud) return;
  natives::HideHudComponentThisFrame(HudComponent::WeaponIcon);
  natives::HideHudComponentThisFrame(HudComponent::WeaponWheelStats);
}
