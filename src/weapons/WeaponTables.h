// Per-weapon memory, the constant weapon groups and the weapon facts of a pass.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>

using WeaponHash = std::uint32_t;
using WeaponFlags = std::unordered_map<WeaponHash, bool>;
// A weapon whose count was forgotten keeps its node with no value, so that
// forgetting and storing again on the next pass costs no allocation.
using WeaponCounts = std::unordered_map<WeaponHash, std::optional<std::int32_t>>;
using WeaponGroup = std::unordered_set<WeaponHash>;

// The hash the host reports when the character holds no weapon.
inline constexpr WeaponHash UnarmedHash = 0xA2719263;

// Bool maps read through operator[]: a missing weapon reads false and gains
// an entry. The count maps tell a missing weapon from a stored value. No
// entry is ever removed and no map cleared, so a reference to an entry stays
// good for the life of the library.
extern WeaponFlags SafetyOn;
extern WeaponFlags ReloadPending;
extern WeaponFlags ClipEmpty;
extern WeaponCounts SavedClip;
extern WeaponCounts SavedAmmo;

extern const WeaponGroup ClipExemptWeapons;
extern const WeaponGroup ClipExemptExtraWeapons;
extern const WeaponGroup SafetyExemptWeapons;

extern WeaponHash PreviousWeapon;
extern std::uint32_t SafetyOnTime;
extern std::uint32_t SafetyOffTime;
extern std::uint32_t EmptyNoticeTime;
extern bool SafetyKeyLatch;
extern bool ReloadKeyLatch;
extern bool TriggerLatch;

// What every pass knows about the weapon in hand, with its table entries.
struct WeaponFacts {
  WeaponHash weapon;
  bool clipExempt;
  bool safetyExempt;
  bool& safetyOn;
  bool& reloadPending;
  bool& clipEmpty;
  std::optional<std::int32_t>& savedClip;
  std::optional<std::int32_t>& savedAmmo;
};

// The facts of a weapon, creating its entries when it is new. The lookups
// are made again only when the weapon differs from the last one asked for.
WeaponFacts LookUpWeapon(WeaponHash weapon);
