// One record per weapon, the constant weapon groups, and the weapon state
// the safety and the reload share.
#pragma once

#include "host/Natives.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// The hash the host reports when the character holds no weapon.
inline constexpr WeaponHash UnarmedHash = 0xA2719263;

// What the plug-in keeps of one weapon type for as long as it is loaded.
struct WeaponRecord {
  bool clipExempt;    // no clip tracking, no empty state, no manual reload
  bool safetyExempt;  // never carries a safety
  bool safetyOn;
  bool reloadPending;  // reloaded by key; waiting for the host to refill the magazine
  bool clipEmpty;      // held at its last cartridge until reloaded by key
  // The magazine count last recorded; the reload key forgets it, which then
  // reads as never stored.
  std::optional<std::int32_t> savedClip;
  // The total ammunition held while the magazine is held at its last
  // cartridge: a total the game answered on two passes running, so that one
  // wrong answer is never held. `seenAmmo` is the total the last pass read,
  // which the next read must confirm; a pass that reads none clears it.
  std::optional<std::int32_t> savedAmmo;
  std::optional<std::int32_t> seenAmmo;
  bool lost;          // the character was last found not to have it
  bool sized;         // the game was asked what its magazine holds
  bool oneCartridge;  // it holds one: tracked as the clip-exempt weapons are
};

// Whether the weapon's magazine is held at its last cartridge when it gets
// there: not for the clip-exempt weapons nor one whose magazine holds one,
// which could then never fire.
inline bool MagazineTracked(const WeaponRecord& record) { return !record.clipExempt && !record.oneCartridge; }

// Records are kept for this many weapons: every weapon a character can carry,
// several times over. The table never grows, so a pass never allocates.
inline constexpr std::size_t WeaponRecordCapacity = 256;

// The weapon's record, made (safety off, not empty, nothing saved) the first
// time the weapon is seen. With the table full, the record of a weapon with
// nothing to remember makes room, or else that of one the character was
// found not to have whose catch is off (a catch is never forgotten); when
// none can, the weapon is not remembered: it gets a record of its own only
// while no other weapon that is not remembered is asked for. A record stays
// where it is for the life of the library; the weapon in hand and the one
// before it never lose theirs.
WeaponRecord& WeaponRecordOf(WeaponHash weapon);
// The weapon's record when the table holds one; null otherwise.
WeaponRecord* FindWeaponRecord(WeaponHash weapon);

// WeaponRecordOf for the weapon in hand, looked up again only when it
// differs from the last one asked for.
WeaponRecord& HeldWeaponRecord(WeaponHash weapon);

// The weapon whose record follows `weapon`'s in the table, going round to the
// first after the last (or after a weapon not in the table), and its record;
// null when the table is empty.
struct WeaponEntry {
  WeaponHash weapon;
  WeaponRecord* record;
};
WeaponEntry RecordAfter(WeaponHash weapon);
// How many weapons have records.
std::size_t RecordCount();
// Whether `test` holds for the record of any weapon in the table.
bool AnyRecord(bool (*test)(WeaponHash weapon, const WeaponRecord& record));

// The weapon of the previous pass through the weapon block; 0 before the first.
extern WeaponHash PreviousWeapon;
// Whether the left mouse button was down on the last pass that looked at it.
extern bool TriggerLatch;

// Every record's magazine memory forgotten (counts, totals, holds, Empty
// and Reloading), catches kept, and no weapon seen before the next: another
// character has taken over, whose weapons of the same types are his own.
void ForgetEveryMagazine();

// Every record gone, no weapon seen: the state at load.
void ResetWeaponTables();
