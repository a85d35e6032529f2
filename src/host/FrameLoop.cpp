#include "host/FrameLoop.h"

#include "config/Settings.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"
#include "menu/Menu.h"
#include "onfoot/Surrender.h"
#include "vehicle/Gear.h"
#include "vehicle/Vehicle.h"
#include "weapons/AmmoCounter.h"
#include "weapons/Reload.h"
#include "weapons/Safety.h"
#include "weapons/WeaponTables.h"

namespace {

constexpr NativeHash PlayerCharacter = 0xD80958FC74E988A6;
constexpr NativeHash CurrentWeapon = 0x3A87E44BB9A01D54;

}  // namespace

void RunFramePass() {
  SamplePad();
  const std::int32_t character = CallNative<std::int32_t>(PlayerCharacter);
  WeaponHash weapon = 0;
  CallNative(CurrentWeapon, character, &weapon, 1);
  const WeaponFacts facts = LookUpWeapon(weapon);

  MenuToggleStep();
  if (MenuState.open) {
    DrawMenu();
    HandleMenuInput();
    return;
  }

  if (CallNative<bool>(shared_native::EntityExists, character) &&
      !CallNative<bool>(shared_native::EntityIsDead, character)) {
    VehicleStep(character);
  }
  SafetyKeyStep(facts);
  if (weapon != PreviousWeapon) WeaponChangeStep(character, facts);
  const bool emptyNow = ClipStep(character, facts);
  SafetyEnforceStep(facts, emptyNow);
  HideAmmoCounterStep();
  SurrenderStep(character);
}

void FrameLoop() {
  ResolveSettingsPath();
  LoadSettings();
  FindLimiterField();
  for (;;) {
    RunFramePass();
    scriptWait(0);
  }
}
