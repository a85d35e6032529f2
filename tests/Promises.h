// What a player can state after every pass, whatever the host, the disk and
// the world did: one list, held by the seam soak and by each explorer after
// every step. Each check says what broke, in a player's words.
#pragma once

#include "Host.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace promises {

// The weapon in hand as a pass begins: whether its magazine is tracked, what
// it holds, and the shots fired so far.
struct WeaponBefore {
  std::uint32_t weapon;
  bool tracked;
  std::int32_t clip;
  int shots;
  long rounds;  // fired, and held in every weapon, magazines included
};
WeaponBefore TakeWeaponBefore(const sim::Host& host);

// A magazine at its last cartridge is never emptied by a pull the plug-in
// let through, menu open or not, whatever the pass threw.
::testing::AssertionResult LastCartridgeKept(const sim::Host& host, const WeaponBefore& before);
// A weapon that could not fire before the pass fired no shot on it.
::testing::AssertionResult NoShotFired(const sim::Host& host, const WeaponBefore& before);
// No round is fired from nothing: what was fired and what is held never
// exceed what the game handed out.
::testing::AssertionResult NoRoundFromNothing(const sim::Host& host, long given);
// Rounds are kept: with nothing picked up or given on the pass, the rounds
// fired and held after it are those before it: none from nothing, none
// taken without a shot.
::testing::AssertionResult RoundsKept(const sim::Host& host, long roundsBefore);
// Nothing handed to the game on the last pass is a number that is not
// finite, a negative magazine count or a negative total.
::testing::AssertionResult OnlySoundNumbersHanded(const sim::Host& host);
// Every text command and notification begun on the last pass was ended,
// unless `failing` (the native made to fail) is the call that ends one.
::testing::AssertionResult TextCommandsEnded(const sim::Host& host, NativeHash failing);

// The limits of gears 1 to 4 in a settings file's text, in m/s; NaN for a
// gear the file has no line for.
std::array<float, 4> FileGearLimits(const std::string& text);
// Every limit with a figure at or above its floor: a step above the nearest
// gear below it with a figure, or 1 m/s when none below has one.
::testing::AssertionResult LimitsAboveFloors(const std::array<float, 4>& limits);
// A limit that had a figure has one still, and one that was at least 1 m/s
// still is.
::testing::AssertionResult NoLimitLost(const std::array<float, 4>& before, const std::array<float, 4>& after);

// The whole text of a file; empty when there is none.
std::string ReadWhole(const std::filesystem::path& path);

}  // namespace promises
