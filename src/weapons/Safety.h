// The per-weapon safety catch.
#pragma once

#include "weapons/WeaponTables.h"

// The safety key: flips the catch of the weapon in hand.
void SafetyKeyStep(WeaponHash weapon, WeaponRecord& record);
// While the catch is on: firing blocked, a dry click per trigger pull, the
// status lines; ends by forcing the catch off for weapons that carry none.
void SafetyEnforceStep(WeaponHash weapon, WeaponRecord& record, bool emptyNow);
// Disables the fire and attack controls, and the host's reload, for this frame.
void BlockFiring();
// A weapon in hand that could not fire with the menu closed (its catch on, or
// its magazine held at its last cartridge) cannot fire on this pass either:
// while the menu is open, and after a pass that ended early. Returns whether
// it blocked.
bool HoldFire(WeaponHash weapon, const WeaponRecord& record);
// No safety switched on or off lately, the key released.
void ResetSafety();
