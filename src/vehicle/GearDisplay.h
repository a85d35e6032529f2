// The gear indicator (a shift gate with a knob in the selected slot) and the
// gear banner; both drawn for the current frame only.
#pragma once

#include <cstdint>
#include <optional>

// Miles per hour of a speed limit in metres per second, truncated toward
// zero; nothing for a limit without such a figure (not a number, infinite,
// or beyond the 32-bit integer range), which limits nothing and reads
// "No Limit".
std::optional<std::int32_t> MilesPerHour(float metresPerSecond);

void DrawGearBanner(std::int32_t gear);
void DrawGearIndicator(std::int32_t gear);
// x, y: centre; radius: vertical half-height; aspect multiplies horizontal
// extents; colourKind picks the rim colour (a gear number).
void DrawGearKnob(float x, float y, float radius, float aspect, std::int32_t colourKind);
