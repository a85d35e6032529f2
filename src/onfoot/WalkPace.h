// Walking pace on foot unless sprinting; Ctrl frees the pace and back.
#pragma once

#include <cstdint>

struct WalkPaceStateRecord {
  bool ctrlLatch;
  bool freePace;
};
extern WalkPaceStateRecord WalkPaceState;

void WalkPaceStep(std::int32_t character);
