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

namespace {

// The character and the weapon in hand as the plug-in last read them, with
// the weapon's record, for a pass that ends early; and whether the pass
// under way has read them yet. No record before the first read.
struct PassWeaponRecord {
  Entity character;
  WeaponHash weapon;
  WeaponRecord* record;
  bool read;
};
constinit PassWeaponRecord PassWeapon = {};

// The weapon's records kept true and its blocks held while the player's keys
// rest: a weapon drawn or put away, a magazine lost or at its last cartridge.
// What the records already block is blocked before anything that can throw;
// what the reads find at its last cartridge is blocked after them.
void WatchWeapon(Entity character, WeaponHash weapon, WeaponRecord& held) {
  const bool blocked = HoldFire(weapon, held);
  if (weapon != PreviousWeapon) WeaponChangeStep(character, weapon, held);
  ClipWatchStep(character, weapon, held);
  if (!blocked) HoldFire(weapon, held);
}

bool CharacterAlive(Entity character) {
  return natives::EntityExists(character) && !natives::EntityIsDead(character);
}

}  // namespace

void RunFramePass() {
  PassWeapon.read = false;
  SampleClock();
  SamplePad();
  const Entity character = natives::PlayerCharacter();
  WeaponHash weapon = 0;
  natives::GetCurrentWeapon(character, &weapon);
  CharacterChangeStep(character);
  WeaponRecord& held = HeldWeaponRecord(weapon);
  PassWeapon = {character, weapon, &held, true};
  MagazineSizeStep(character, weapon, held);

  MenuToggleStep();
  if (MenuState.open) {
    // The player's keys for the features rest; the records and the blocks
    // do not, and come before the menu's own calls.
    WatchWeapon(character, weapon, held);
    if (CharacterAlive(character)) {
      VehicleWatchStep(character);
      LostWeaponStep(character, weapon);
    }
    DrawMenu();
    HandleMenuInput();
    return;
  }

  const bool alive = CharacterAlive(character);
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
  PassWeapon = {};
}

namespace {

// No C++ exception may leave the plug-in into the host, where it would end
// the game: one ends the start-up or the pass it came from, and the next
// pass runs as usual. Returns whether the work ran to its end.
template <typename Work>
bool Guarded(Work work) noexcept {
  try {
    work();
    return true;
  } catch (...) {
    return false;
  }
}

void StartUp() {
  ResetPluginState();
  ResolveSettingsPath();
  LoadSettings();
  FindLimiterField();
}

// The character and the weapon read again for a pass that failed before it
// read them; each read that fails again keeps what the last pass read. When
// the weapon in hand cannot be read, it may be another than the last one:
// firing is blocked if any weapon remembered could not fire.
void ReadPassWeaponOrKeepLast() {
  Entity character = PassWeapon.character;
  Guarded([&] { character = natives::PlayerCharacter(); });
  WeaponHash weapon = PassWeapon.weapon;
  const bool known = Guarded([&] {
    WeaponHash read = 0;
    natives::GetCurrentWeapon(character, &read);
    weapon = read;
  });
  if (!known) HoldFireForAnyWeapon();
  PassWeapon = {character, weapon, &HeldWeaponRecord(weapon), true};
}

// A pass that ended early may have left before its records and blocks: the
// weapon in hand is watched as under the open menu, so that it cannot fire
// where it could not with the pass run whole. One that ended before it read
// the weapon first keeps blocked what the last pass knew to block, then
// reads it again.
void WatchWeaponAfterFailedPass() {
  if (PassWeapon.record == nullptr) return;
  if (!PassWeapon.read) {
    HoldFire(PassWeapon.weapon, *PassWeapon.record);
    ReadPassWeaponOrKeepLast();
  }
  // A character the pass did not get to tell from the last one is handed
  // nothing remembered of the last one's magazines.
  if (!CharacterKnown(PassWeapon.character)) ForgetEveryMagazine();
  WatchWeapon(PassWeapon.character, PassWeapon.weapon, *PassWeapon.record);
}

}  // namespace

void FrameLoop() {
  Guarded(StartUp);
  for (;;) {
    if (!Guarded(RunFramePass)) Guarded(WatchWeaponAfterFailedPass);
    scriptWait(0);
  }
}
