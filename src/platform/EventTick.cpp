#include "platform/EventTick.h"

#include "platform/Platform.h"

namespace {

struct ClockRecord {
  bool sampled;
  std::uint32_t lastTick;
  PassMilliseconds now;
};
constinit ClockRecord Clock = {};

}  // namespace

void SampleClock() {
  const std::uint32_t tick = platform::TickCount();
  // The unsigned difference is how far the counter moved, across a wrap too.
  Clock.now = Clock.sampled ? Clock.now + static_cast<std::uint32_t>(tick - Clock.lastTick) : 0;
  Clock.lastTick = tick;
  Clock.sampled = true;
}

PassMilliseconds PassTime() { return Clock.now; }

void ResetClock() { Clock = {}; }
