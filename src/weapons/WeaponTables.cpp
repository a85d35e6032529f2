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

namespace {
struct RememberedWeapon {
  bool valid;
  WeaponHash weapon;
  bool clipExempt;
  bool safetyExempt;
  bool* safetyOn;
  bool* reloadPending;
  bool* clipEmpty;
  std::optional<std::int32_t>* savedClip;
  std::optional<std::int32_t>* savedAmmo;
};
constinit RememberedWeapon remembered = {};
}  // namespace

WeaponFacts LookUpWeapon(WeaponHash weapon) {
  if (!remembered.valid || remembered.weapon != weapon) {
    const bool clipExempt = ClipExemptWeapons.contains(weapon) || ClipExemptExtraWeapons.contains(weapon);
    remembered = {true,
                  weapon,
                  clipExempt,
                  SafetyExemptWeapons.contains(weapon),
                  &SafetyOn[weapon],
                  &ReloadPending[weapon],
                  &ClipEmpty[weapon],
                  &SavedClip[weapon],
                  &SavedAmmo[weapon]};
  }
  return {weapon,
          remembered.clipExempt,
          remembered.safetyExempt,
          *remembered.safetyOn,
          *remembered.reloadPending,
          *remembered.clipEmpty,
          *remembered.savedClip,
          *remembered.savedAmmo};
}
