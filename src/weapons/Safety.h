// The per-weapon safety catch.
#pragma once

#include "weapons/WeaponTables.h"

// The safety key: flips the catch of the weapon in hand.
void SafetyKeyStep(const WeaponFacts& facts);
// While the catch is on: firing blocked, a dry click per trigger pull, the
// status lines; ends by forcing the catch off for weapons that carry none.
void SafetyEnforceStep(const WeaponFacts& facts, bool emptyNow);
// Disables the fire and attack controls, and the host's reload, for this frame.
void BlockFiring();
