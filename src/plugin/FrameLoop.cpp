#include "plugin/FrameLoop.h"

#include "config/Config.h"
#include "config/Settings.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "menu/Menu.h"
#include "onfoot/Surrender.h"
#include "onfoot/WalkPace.h"
#include "platform/EventTick.h"
#include "vehicle/Gear.h"
#include "vehicle/Vehicle.h"
#include "weapons/AmmoCounter.h"
#include "weapons/Reload.h"
#include "weapons/Safety.h"
#include "weapons/WeaponTables.h"

void RunFramePass() {
  SampleClock();
  SamplePad();
  const Entity character = natives::PlayerCharacter();
  WeaponHash weapon = 0;
  natives::GetCurrentWeapon(character, &weapon);
  WeaponRecord& held = HeldWeaponRecord(weapon);

  MenuToggleStep();
  if (MenuState.open) {
    DrawMenu();
    HandleMenuInput();
    HoldFireWhileMenuOpen(weapon, held);
    return;
  }

  const bool alive = natives::EntityExists(character) && !natives::EntityIsDead(character);
  if (alive) VehicleStep(character);
  SafetyKeyStep(weapon, held);
  if (weapon != PreviousWeapon) WeaponChangeStep(character, weapon, held);
  const bool emptyNow = ClipStep(character, weapon, held);
  if (alive) LostWeaponStep(character, weapon);
  SafetyEnforceStep(weapon, held, emptyNow);
  HideAmmoCounterStep();
  SurrenderStep(character);
}

void ResetPluginState() {
  Config = DefaultConfig;
  ResetSettingsFile();
  ResetClock();
  ResetPad();
  ResetWeaponTables();
  ResetSafety();
  ResetReload();
  ResetEngine();
  ResetGears();
  ResetWalkPace();
  ResetSurrender();
  ResetMenu();
}

namespace {

// No C++ exception may leave the plug-in into the host, where it would end
// the game: one ends the start-up or the pass it came from, and the next
// pass runs as usual.
template <typename Work>
void Guarded(Work work) noexcept {
  try {
    work();
  } catch (...) {
  }
}

void StartUp() {
  ResetPluginState();
  ResolveSettingsPath();
  LoadSettings();
  FindLimiterField();
}

}  // namespace

void FrameLoop() {
  Guarded(StartUp);
  for (;;) {
    Guarded(RunFramePass);
    scriptWait(0);
  }
}
