// Manual reloading and the magazine memory of each weapon.
#pragma once

#include "weapons/WeaponTables.h"

#include <cstdint>

// On a pass whose character handle differs from the last: when the game
// says the character is another (another model, not a respawn), forgets
// every weapon's magazine memory; catches stay.
void CharacterChangeStep(Entity character);
// Whether `character` is the handle CharacterChangeStep last settled.
bool CharacterKnown(Entity character);
// The first time a weapon is in hand: one whose magazine holds a single
// cartridge is never held at it (it could never fire), only its count kept.
void MagazineSizeStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// On a weapon change: saves the magazine of the weapon put away and restores
// the one drawn.
void WeaponChangeStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// Tracks the magazine in hand; returns whether it counts as empty this pass.
bool ClipStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// ClipStep while the menu is open and the player's keys rest: the records
// stay true (a weapon lost, a magazine reaching its last cartridge is held
// there) with no click, notice or reload; HoldFire blocks what is held.
void ClipWatchStep(Entity character, WeaponHash weapon, WeaponRecord& record);
// Asks, for one remembered weapon a pass in turn (not the one in hand),
// whether the character still has it, and forgets it when not: so a weapon
// lost while put away (an arrest, a script) and got again comes out as the
// game gives it. Only for a character that exists and is alive.
void LostWeaponStep(Entity character, WeaponHash weapon);
// No empty notice lately, the key released, no character seen.
void ResetReload();
