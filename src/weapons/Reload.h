// Manual reloading and the magazine memory of each weapon.
#pragma once

#include "weapons/WeaponTables.h"

#include <cstdint>

// On a weapon change: saves the magazine of the weapon put away and restores
// the one drawn.
void WeaponChangeStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// Tracks the magazine in hand; returns whether it counts as empty this pass.
bool ClipStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// No empty notice lately, the key released.
void ResetReload();
