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
  // The magazine count and total ammunition last recorded; the reload key
  // forgets both, which then read as never stored.
  std::optional<std::int32_t> savedClip;
  std::optional<std::int32_t> savedAmmo;
};

// The weapon's record, made (safety off, not empty, nothing saved) the first
// time the weapon is seen. Records are never removed, so a reference to one
// stays good for the life of the library.
WeaponRecord& WeaponRecordOf(WeaponHash weapon);

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

// The weapon of the previous pass through the weapon block; 0 before the first.
extern WeaponHash PreviousWeapon;
// Whether the left mouse button was down on the last pass that looked at it.
extern bool TriggerLatch;

// Every record gone, no weapon seen: the state at load.
void ResetWeaponTables();
