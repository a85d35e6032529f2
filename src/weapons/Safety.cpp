#include "weapons/Safety.h"

#include "config/Config.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "platform/EventTick.h"

namespace {

constexpr Control FireControls[] = {
    Control::Attack,
    Control::VehicleAttack,
    Control::VehiclePassengerAttack,
    Control::VehicleFlyAttack,
    Control::MeleeAttackLight,
    Control::MeleeAttackHeavy,
    Control::MeleeAttackAlternate,
    Control::Attack2,
    Control::MeleeAttack1,
    Control::MeleeAttack2,
    Control::Reload,
    // Jumping too: a jump while aiming is a roll, and the roll reloads.
    Control::Jump,
};

constexpr std::uint32_t SafetyOnWindow = 600;
constexpr std::uint32_t SafetyOffWindow = 800;

struct SafetyStateRecord {
  EventTick safetyOnTime;   // the last safety-on event: a switch on or a dry click
  EventTick safetyOffTime;  // the last switch off
  bool safetyKeyLatch;
};
constinit SafetyStateRecord SafetyState = {};

bool CarriesNoSafety(WeaponHash weapon, const WeaponRecord& record) {
  return weapon == UnarmedHash || record.safetyExempt;
}

// Whether the weapon cannot fire with the menu closed: its catch is on, or
// its magazine is held at its last cartridge.
bool CannotFire(WeaponHash weapon, const WeaponRecord& record) {
  const bool caught = !CarriesNoSafety(weapon, record) && record.safetyOn;
  const bool held = MagazineTracked(record) && record.clipEmpty;
  return caught || held;
}

}  // namespace

void BlockFiring() {
  for (Control control : FireControls) natives::DisableControl(control);
}

bool HoldFire(WeaponHash weapon, const WeaponRecord& record) {
  const bool blocked = CannotFire(weapon, record);
  if (blocked) BlockFiring();
  return blocked;
}

void HoldFireForAnyWeapon() {
  if (AnyRecord(CannotFire)) BlockFiring();
}

void SafetyKeyStep(WeaponHash weapon, WeaponRecord& record) {
  if (!KeyFires(SafetyState.safetyKeyLatch, Config.SafetyToggle)) return;
  if (CarriesNoSafety(weapon, record)) {
    record.safetyOn = false;
    return;
  }
  record.safetyOn = !record.safetyOn;
  PlayClip(SafetySwitchClip);
  (record.safetyOn ? SafetyState.safetyOnTime : SafetyState.safetyOffTime) = PassTime();
}

void SafetyEnforceStep(WeaponHash weapon, WeaponRecord& record, bool emptyNow) {
  if (!CarriesNoSafety(weapon, record) && record.safetyOn && !emptyNow) {
    BlockFiring();
    if (KeyFires(TriggerLatch, fixed_key::LeftMouse)) {
      PlayClip(DryFireClip);
      SafetyState.safetyOnTime = PassTime();
    }
    if (WithinWindow(SafetyState.safetyOnTime, PassTime(), SafetyOnWindow))
      ShowStatusLine("~r~SAFETY ON  ~y~");
  } else if (!emptyNow) {
    TriggerLatch = false;
    if (!record.safetyExempt && !record.safetyOn &&
        WithinWindow(SafetyState.safetyOffTime, PassTime(), SafetyOffWindow)) {
      ShowStatusLine("~g~SAFETY OFF  ~y~");
    }
  }
  if (CarriesNoSafety(weapon, record)) record.safetyOn = false;
}

void ResetSafety() { SafetyState = {}; }
