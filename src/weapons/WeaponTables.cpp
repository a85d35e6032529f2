#include "weapons/WeaponTables.h"

#include <algorithm>
#include <array>
#include <unordered_map>

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

std::unordered_map<WeaponHash, WeaponRecord> records;
constinit WeaponHash heldWeapon = 0;
constinit WeaponRecord* held = nullptr;

}  // namespace

WeaponRecord& WeaponRecordOf(WeaponHash weapon) {
  const auto [entry, made] = records.try_emplace(weapon);
  if (made) {
    entry->second.clipExempt = InGroup(ClipExemptWeapons, weapon) || InGroup(ClipExemptExtraWeapons, weapon);
    entry->second.safetyExempt = InGroup(SafetyExemptWeapons, weapon);
  }
  return entry->second;
}

WeaponRecord& HeldWeaponRecord(WeaponHash weapon) {
  if (held == nullptr || heldWeapon != weapon) {
    held = &WeaponRecordOf(weapon);
    heldWeapon = weapon;
  }
  return *held;
}

WeaponEntry RecordAfter(WeaponHash weapon) {
  auto next = records.find(weapon);
  if (next != records.end()) ++next;
  if (next == records.end()) next = records.begin();
  if (next == records.end()) return {0, nullptr};
  return {next->first, &next->second};
}

std::size_t RecordCount() { return records.size(); }

void ResetWeaponTables() {
  records.clear();
  held = nullptr;
  heldWeapon = 0;
  PreviousWeapon = 0;
  TriggerLatch = false;
}
