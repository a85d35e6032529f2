// The tick-counter time of an event that may not have happened yet.
#pragma once

#include <cstdint>
#include <optional>

// Empty until the event first happens, so that no message, banner or delay
// measured from it can start before it: a counter that has wrapped past zero
// would otherwise look like an event at tick 0.
using EventTick = std::optional<std::uint32_t>;

// Whether `now` lies less than `window` milliseconds after the event. The
// unsigned difference keeps this right across the counter's wrap.
constexpr bool WithinWindow(EventTick event, std::uint32_t now, std::uint32_t window) {
  return event.has_value() && now - *event < window;
}
