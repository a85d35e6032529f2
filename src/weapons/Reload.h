// Manual reloading and the magazine memory of each weapon.
#pragma once

#include "weapons/WeaponTables.h"

void WeaponChangeStep(WeaponHash weapon);
// Returns whether the weapon's magazine counts as empty this pass.
bool ClipStep(const WeaponFacts& facts);
