// The gear speeds page's rules: Right and Left on a gear's limit, the gears
// kept in order, and the player's limits kept in order over a file read at
// last.
#include "config/Settings.h"
#include "menu/Menu.h"
#include "vehicle/GearDisplay.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

// A step above or below `limit`: GearSpeedStep, or, where the limit is so
// large that a step no longer changes it, the next number the limit can
// take. So every press that moves a limit moves it, and gears kept a step
// apart stay apart, at every magnitude the file can hold.
float StepAbove(float limit) {
  const float above = limit + GearSpeedStep;
  return above != limit ? above : std::nextafter(limit, std::numeric_limits<float>::infinity());
}
float StepBelow(float limit) {
  const float below = limit - GearSpeedStep;
  return below != limit ? below : std::nextafter(limit, -std::numeric_limits<float>::infinity());
}

// No press takes a limit lower than this, in m/s.
constexpr float LowestGearSpeed = 1.0F;

// Whether a limit reads as a figure (in m/s and mph) rather than "No Limit".
bool HasFigure(float limit) { return MilesPerHour(limit).has_value(); }

// The limit of the nearest gear below `gear` that has a figure, if any.
std::optional<float> NearestFigureBelow(std::int32_t gear) {
  for (std::int32_t below = gear - 1; below >= 1; --below) {
    if (HasFigure(GearSpeed(below))) return GearSpeed(below);
  }
  return std::nullopt;
}

// Each gear with a figure is pushed a step above the nearest gear below it
// with a figure when `tooClose` says it is too close to it: No Limit gears
// between the two push nothing and break no chain.
void KeepGearsApart(bool (*tooClose)(float lower, float higher)) {
  for (std::int32_t g = 2; g <= LimitedGearCount; ++g) {
    if (!HasFigure(GearSpeed(g))) continue;
    if (const std::optional<float> below = NearestFigureBelow(g); below && tooClose(*below, GearSpeed(g))) {
      GearSpeed(g) = StepAbove(*below);
    }
  }
}

// Runs `adjust` on the limits, and undoes it if it would take the figure
// from any limit that has one: a press never turns a limit into No Limit.
template <typename Adjust>
void AdjustLimits(Adjust adjust) {
  const ConfigRecord before = Config;
  adjust();
  for (std::int32_t g = 1; g <= LimitedGearCount; ++g) {
    if (HasFigure(before.GearSpeeds[static_cast<std::size_t>(g - 1)]) && !HasFigure(GearSpeed(g))) {
      Config.GearSpeeds = before.GearSpeeds;
      return;
    }
  }
}

// The lowest gear with a figure keeps at least the lowest limit; every other
// one is kept above it by KeepGearsApart.
void KeepFirstFigureAboveLowest() {
  for (std::int32_t g = 1; g <= LimitedGearCount; ++g) {
    if (!HasFigure(GearSpeed(g))) continue;
    if (GearSpeed(g) < LowestGearSpeed) GearSpeed(g) = LowestGearSpeed;
    return;
  }
}

// The figure a No Limit gear gets from a Left press: one step above the
// nearest gear below it that has one, else its default.
float FirstFigure(std::int32_t gear) {
  const std::optional<float> below = NearestFigureBelow(gear);
  return below ? StepAbove(*below) : DefaultConfig.GearSpeeds[static_cast<std::size_t>(gear - 1)];
}

}  // namespace

void KeepPlayersGearsInOrder() {
  std::array<bool, LimitedGearCount + 1> moved{};
  for (std::int32_t g = 1; g <= LimitedGearCount; ++g) {
    const bool players = SetByPlayer(*GearSpeedSettings[static_cast<std::size_t>(g - 1)]);
    if (!HasFigure(GearSpeed(g))) continue;
    if (const std::optional<float> below = NearestFigureBelow(g);
        players && below && GearSpeed(g) <= *below) {
      GearSpeed(g) = StepAbove(*below);
      moved[static_cast<std::size_t>(g)] = true;
    }
    const bool pushes = players || moved[static_cast<std::size_t>(g)];
    if (pushes && g < LimitedGearCount && HasFigure(GearSpeed(g + 1)) && GearSpeed(g) >= GearSpeed(g + 1)) {
      GearSpeed(g + 1) = StepAbove(GearSpeed(g));
      moved[static_cast<std::size_t>(g + 1)] = true;
    }
  }
}

// A No Limit gear stays as it is.
void RaiseGearSpeed(std::int32_t gear) {
  if (!HasFigure(GearSpeed(gear))) return;
  AdjustLimits([gear] {
    GearSpeed(gear) = StepAbove(GearSpeed(gear));
    KeepGearsApart([](float lower, float higher) { return lower >= higher; });
  });
}

// Lowered, a gear stops at its floor: a step above the nearest gear below it
// with a figure, or the lowest limit when none below has one. A press that
// would then leave it higher than it was changes nothing.
void LowerGearSpeed(std::int32_t gear) {
  const std::array<float, GearCount> before = Config.GearSpeeds;
  AdjustLimits([gear] {
    GearSpeed(gear) = HasFigure(GearSpeed(gear)) ? StepBelow(GearSpeed(gear)) : FirstFigure(gear);
    KeepFirstFigureAboveLowest();
    KeepGearsApart([](float lower, float higher) { return StepAbove(lower) > higher; });
  });
  const float was = before[static_cast<std::size_t>(gear - 1)];
  if (HasFigure(was) && GearSpeed(gear) > was) Config.GearSpeeds = before;
}
