// What the weapon playthroughs share: the weapons, keys and lines, and a
// fixture that arms the character.
#pragma once

#include "Playthrough.h"
#include "feedback/Sound.h"

#include <gmock/gmock.h>

#include <fstream>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::uint32_t Rifle = 0xBFEFFF6D;
constexpr std::uint32_t ClipExemptWithSafety = 0x0781FE4C;
constexpr std::uint32_t FullyExempt = 0x93E220BD;
constexpr std::uint32_t ExtraClipExempt = 0x13E577CB;
constexpr KeyCode SafetyKey = 'T';
constexpr KeyCode ReloadKey = 'R';
constexpr KeyCode Trigger = 1;

const char* const SafetyOnLine = "~r~SAFETY ON  ~y~";
const char* const SafetyOffLine = "~g~SAFETY OFF  ~y~";
const char* const EmptyLine = "~o~EMPTY  ~y~[R]";

class WeaponsTest : public Playthrough {
 protected:
  void Arm(std::uint32_t weapon, std::int32_t clip, std::int32_t magazine = 12, std::int32_t total = 60) {
    host.game.GiveWeapon(weapon, clip, magazine, total);
    host.game.Draw(weapon);
    host.game.Weapon(weapon).clip = clip;
  }
  sim::WeaponModel& Held() { return host.game.Weapon(host.game.character.weapon); }
  bool FiringBlocked() const {
    return host.game.disabledControls ==
           std::vector<std::int32_t>{24, 69, 92, 114, 140, 141, 142, 257, 263, 264, 45, 22};
  }
};
