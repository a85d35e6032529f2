// The gear indicator (a shift gate with a knob in the selected slot) and the
// gear banner; both drawn for the current frame only.
#pragma once

#include <cstdint>

// Miles per hour of a speed limit in metres per second, truncated toward
// zero; a limit that is not a number reads 0, one beyond the integer range
// the nearest end of it.
std::int32_t MilesPerHour(float metresPerSecond);

void DrawGearBanner(std::int32_t gear);
void DrawGearIndicator(std::int32_t gear);
// x, y: centre; radius: vertical half-height; aspect multiplies horizontal
// extents; colourKind picks the rim colour (a gear number).
void DrawGearKnob(float x, float y, float radius, float aspect, std::int32_t colourKind);
