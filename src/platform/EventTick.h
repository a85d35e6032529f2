// The pass's time on a clock that never wraps, and the time of an event that
// may not have happened yet.
#pragma once

#include <cstdint>
#include <optional>

// Milliseconds since the first pass. The 32-bit tick counter wraps every
// 49.7 days; this clock adds up how far it moved from pass to pass instead,
// so an event 2^32 ms ago is never taken for one just now.
using PassMilliseconds = std::uint64_t;

// Reads the tick counter once, at the start of a pass.
void SampleClock();
// The time of this pass.
PassMilliseconds PassTime();
// No pass seen yet: the state at load.
void ResetClock();

// Empty until the event first happens, so that no message, banner or delay
// measured from it can start before it.
using EventTick = std::optional<PassMilliseconds>;

// Whether `now` lies less than `window` milliseconds after the event.
constexpr bool WithinWindow(EventTick event, PassMilliseconds now, std::uint32_t window) {
  return event.has_value() && now >= *event && now - *event < window;
}
