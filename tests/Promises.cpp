#include "Promises.h"

#include "menu/Menu.h"
#include "vehicle/GearDisplay.h"
#include "weapons/WeaponTables.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

namespace promises {

namespace {

// Every round fired, and every one held (a weapon's total holds its magazine).
long Rounds(const sim::Host& host) {
  long rounds = host.game.shotsFired;
  for (const auto& [hash, weapon] : host.game.character.weapons) rounds += weapon.total;
  return rounds;
}

}  // namespace

WeaponBefore TakeWeaponBefore(const sim::Host& host) {
  const sim::Character& character = host.game.character;
  const auto held = character.weapons.find(character.weapon);
  if (held == character.weapons.end())
    return {character.weapon, false, -1, host.game.shotsFired, Rounds(host)};
  // The plug-in's own weapon groups, looked up in this program's copy; a
  // magazine that holds one cartridge is never held at it.
  const bool tracked = !WeaponRecordOf(character.weapon).clipExempt && held->second.magazine != 1;
  return {character.weapon, tracked, held->second.clip, host.game.shotsFired, Rounds(host)};
}

::testing::AssertionResult RoundsKept(const sim::Host& host, long roundsBefore) {
  const long rounds = Rounds(host);
  if (rounds > roundsBefore)
    return ::testing::AssertionFailure() << (rounds - roundsBefore) << " round(s) from nothing";
  if (rounds < roundsBefore)
    return ::testing::AssertionFailure() << (roundsBefore - rounds) << " round(s) taken without a shot";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult LastCartridgeKept(const sim::Host& host, const WeaponBefore& before) {
  const sim::Character& character = host.game.character;
  const bool sameWeapon = character.weapon == before.weapon && character.weapons.contains(before.weapon);
  if (before.tracked && before.clip == 1 && sameWeapon && host.game.shotsFired > before.shots)
    return ::testing::AssertionFailure() << "the last cartridge was fired";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult NoShotFired(const sim::Host& host, const WeaponBefore& before) {
  if (host.game.shotsFired > before.shots)
    return ::testing::AssertionFailure()
           << "a weapon that could not fire fired " << host.game.shotsFired - before.shots << " shot(s)";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult NoRoundFromNothing(const sim::Host& host, long given) {
  long held = 0;
  for (const auto& [hash, weapon] : host.game.character.weapons) held += weapon.total;
  if (host.game.shotsFired + held > given)
    return ::testing::AssertionFailure() << "a round from nothing: " << host.game.shotsFired << " fired and "
                                         << held << " held of " << given << " given";
  return ::testing::AssertionSuccess();
}

namespace {

float FloatArgument(const sim::NativeCallRecord& call, std::size_t i) {
  return std::bit_cast<float>(static_cast<std::uint32_t>(call.args[i]));
}
std::int32_t IntArgument(const sim::NativeCallRecord& call, std::size_t i) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(call.args[i]));
}

// The float arguments of each native that takes some, by position.
struct FloatArguments {
  NativeHash native;
  std::size_t first;
  std::size_t count;
};
constexpr FloatArguments FloatNatives[] = {
    {sim::native::SetVehicleVelocity, 1, 3},  {sim::native::SetControlValueNextFrame, 2, 1},
    {sim::native::SetMaxPaceThisFrame, 1, 1}, {sim::native::DrawRectangle, 0, 4},
    {sim::native::SetTextScale, 0, 2},        {sim::native::DrawText, 0, 2},
};

}  // namespace

::testing::AssertionResult OnlySoundNumbersHanded(const sim::Host& host) {
  for (const sim::NativeCallRecord& call : host.frameCalls) {
    for (const FloatArguments& floats : FloatNatives) {
      if (call.hash != floats.native) continue;
      for (std::size_t i = floats.first; i < floats.first + floats.count; ++i) {
        if (!std::isfinite(FloatArgument(call, i)))
          return ::testing::AssertionFailure()
                 << host.game.NameOf(call.hash) << " was handed " << FloatArgument(call, i);
      }
    }
    const bool count = call.hash == sim::native::SetAmmoInClip || call.hash == sim::native::SetTotalAmmo;
    if (count && IntArgument(call, 2) < 0)
      return ::testing::AssertionFailure()
             << host.game.NameOf(call.hash) << " was handed " << IntArgument(call, 2);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult TextCommandsEnded(const sim::Host& host, NativeHash failing) {
  const bool endingFails = failing == sim::native::DrawText || failing == sim::native::PostNotification;
  if (host.game.TextCommandOpen() && !endingFails)
    return ::testing::AssertionFailure() << "a text command was begun and never ended";
  return ::testing::AssertionSuccess();
}

std::array<float, 4> FileGearLimits(const std::string& text) {
  std::array<float, 4> limits{};
  for (std::size_t gear = 0; gear < limits.size(); ++gear) {
    const std::string key = "\nGear" + std::to_string(gear + 1) + "=";
    const std::size_t at = text.find(key);
    limits[gear] = at == std::string::npos ? std::numeric_limits<float>::quiet_NaN()
                                           : std::strtof(text.c_str() + at + key.size(), nullptr);
  }
  return limits;
}

namespace {
bool HasFigure(float limit) { return MilesPerHour(limit).has_value(); }
}  // namespace

::testing::AssertionResult LimitsAboveFloors(const std::array<float, 4>& limits) {
  // Exact: a floor is a step above the gear below, or the next number up
  // where a step is too small to change it; and the file keeps every limit
  // as the very number in use.
  std::optional<float> below;
  for (std::size_t gear = 0; gear < limits.size(); ++gear) {
    if (!HasFigure(limits[gear])) continue;
    float floor = 1.0F;
    if (below) {
      floor = *below + GearSpeedStep;
      if (floor == *below) floor = std::nextafter(*below, INFINITY);
    }
    if (limits[gear] < floor)
      return ::testing::AssertionFailure()
             << "gear " << gear + 1 << " at " << limits[gear] << " m/s, below its floor of " << floor;
    below = limits[gear];
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult NoLimitLost(const std::array<float, 4>& before,
                                       const std::array<float, 4>& after) {
  for (std::size_t gear = 0; gear < before.size(); ++gear) {
    if (HasFigure(before[gear]) && !HasFigure(after[gear]))
      return ::testing::AssertionFailure() << "gear " << gear + 1 << " lost its figure";
    if (before[gear] >= 1.0F && !(after[gear] >= 1.0F))
      return ::testing::AssertionFailure() << "gear " << gear + 1 << " taken below 1 m/s, to " << after[gear];
  }
  return ::testing::AssertionSuccess();
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace promises
