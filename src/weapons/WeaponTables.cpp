#include "weapons/WeaponTables.h"

// The maps and groups themselves are defined with the other module-level
// containers, in host/ModuleContainers.cpp, which fixes their creation order.

constinit WeaponHash PreviousWeapon = 0;
constinit std::uint32_t SafetyOnTime = 0;
constinit std::uint32_t SafetyOffTime = 0;
constinit std::uint32_t EmptyNoticeTime = 0;
constinit bool SafetyKeyLatch = false;
constinit bool ReloadKeyLatch = false;
constinit bool TriggerLatch = false;

WeaponFacts LookUpWeapon(WeaponHash weapon) {
  const bool clipExempt =
      ClipExemptWeapons.contains(weapon) || ClipExemptExtraWeapons.contains(weapon);
  const bool safetyExempt = SafetyExemptWeapons.contains(weapon);
  return {weapon, clipExempt, safetyExempt, SafetyOn[weapon]};
}

std::optional<std::int32_t> SavedCount(const WeaponCounts& counts, WeaponHash weapon) {
  const auto found = counts.find(weapon);
  return found == counts.end() ? std::nullopt : found->second;
}
