#include "weapons/WeaponTables.h"

#include <algorithm>
#include <array>

constinit WeaponHash PreviousWeapon = 0;
constinit bool TriggerLatch = false;

namespace {

// Weapons whose magazines are not tracked; the extra group is tested with
// the main one, as one flag.
constexpr std::array<WeaponHash, 22> ClipExemptWeapons = {
    0xDC4DB296, 0x99AEEB3B, 0x0781FE4C, 0x0AB49B47, 0xB1CA77B1, 0x8BADF85D, 0x6D544C99, 0xA89CB99E,
    0x93E220BD, 0x24B17070, 0xBA45E8B8, 0xAB564B93, 0x2C3731D9, 0xA0973D5E, 0xFDBC8A50, 0x497FACC3,
    0x23C9F95C, 0x0787F0BB, 0xF7F1E25E, 0x060EC506, 0x34A67B97, 0xBA536372,
};
constexpr std::array<WeaponHash, 4> ClipExemptExtraWeapons = {0x13E577CB, 0xDFD59E4B, 0x63AB0442, 0x7F7497E5};
// Weapons that never carry a safety; every one is also clip-exempt.
constexpr std::array<WeaponHash, 16> SafetyExemptWeapons = {
    0x93E220BD, 0xFDBC8A50, 0xA0973D5E, 0xBA45E8B8, 0x497FACC3, 0xF7F1E25E, 0x23C9F95C, 0x0787F0BB,
    0x060EC506, 0xAB564B93, 0x2C3731D9, 0xBA536372, 0x34A67B97, 0x24B17070, 0xDC4DB296, 0x99AEEB3B,
};

template <std::size_t N>
bool InGroup(const std::array<WeaponHash, N>& group, WeaponHash weapon) {
  return std::find(group.begin(), group.end(), weapon) != group.end();
}

struct WeaponSlot {
  WeaponHash weapon;
  WeaponRecord record;
};
// The records, in the order the weapons were first seen; the first `used`
// slots hold one each.
constinit std::array<WeaponSlot, WeaponRecordCapacity> slots = {};
constinit std::size_t used = 0;
// The record of the one weapon asked for last that the table has no room for.
constinit WeaponSlot unremembered = {};
constinit WeaponHash heldWeapon = 0;
constinit WeaponRecord* held = nullptr;

WeaponSlot FreshSlot(WeaponHash weapon) {
  WeaponSlot slot = {weapon, {}};
  slot.record.clipExempt = InGroup(ClipExemptWeapons, weapon) || InGroup(ClipExemptExtraWeapons, weapon);
  slot.record.safetyExempt = InGroup(SafetyExemptWeapons, weapon);
  return slot;
}

bool NothingKept(const WeaponRecord& record) {
  return !record.safetyOn && !record.reloadPending && !record.clipEmpty && !record.savedClip &&
         !record.savedAmmo;
}

// The slot whose weapon can be forgotten losing least: one with nothing
// kept, else one the character was found not to have and whose catch is
// off. A catch is never forgotten: a weapon given back may not have been
// asked about again yet. Never the weapon in hand or the one just put away,
// which the pass still works on. Null when none can.
WeaponSlot* SlotToMakeRoom() {
  WeaponSlot* lost = nullptr;
  for (std::size_t i = 0; i < used; ++i) {
    WeaponSlot& slot = slots[i];
    if (slot.weapon == heldWeapon || slot.weapon == PreviousWeapon) continue;
    if (NothingKept(slot.record)) return &slot;
    if (slot.record.lost && !slot.record.safetyOn && lost == nullptr) lost = &slot;
  }
  return lost;
}

}  // namespace

WeaponRecord* FindWeaponRecord(WeaponHash weapon) {
  for (std::size_t i = 0; i < used; ++i) {
    if (slots[i].weapon == weapon) return &slots[i].record;
  }
  return nullptr;
}

WeaponRecord& WeaponRecordOf(WeaponHash weapon) {
  if (WeaponRecord* found = FindWeaponRecord(weapon)) return *found;
  if (used < slots.size()) {
    slots[used] = FreshSlot(weapon);
    return slots[used++].record;
  }
  if (WeaponSlot* room = SlotToMakeRoom()) {
    *room = FreshSlot(weapon);
    return room->record;
  }
  if (unremembered.weapon != weapon) unremembered = FreshSlot(weapon);
  return unremembered.record;
}

WeaponRecord& HeldWeaponRecord(WeaponHash weapon) {
  if (held == nullptr || heldWeapon != weapon) {
    held = &WeaponRecordOf(weapon);
    heldWeapon = weapon;
  }
  return *held;
}

WeaponEntry RecordAfter(WeaponHash weapon) {
  if (used == 0) return {0, nullptr};
  std::size_t next = 0;
  for (std::size_t i = 0; i < used; ++i) {
    if (slots[i].weapon == weapon) next = i + 1 < used ? i + 1 : 0;
  }
  return {slots[next].weapon, &slots[next].record};
}

std::size_t RecordCount() { return used; }

bool AnyRecord(bool (*test)(WeaponHash weapon, const WeaponRecord& record)) {
  for (std::size_t i = 0; i < used; ++i) {
    if (test(slots[i].weapon, slots[i].record)) return true;
  }
  return false;
}

void ForgetEveryMagazine() {
  const auto forget = [](WeaponRecord& record) {
    record.savedClip.reset();
    record.savedAmmo.reset();
    record.seenAmmo.reset();
    record.clipEmpty = false;
    record.reloadPending = false;
  };
  for (std::size_t i = 0; i < used; ++i) forget(slots[i].record);
  forget(unremembered.record);
  PreviousWeapon = 0;
}

void ResetWeaponTables() {
  slots = {};
  used = 0;
  unremembered = {};
  held = nullptr;
  heldWeapon = 0;
  PreviousWeapon = 0;
  TriggerLatch = false;
}
