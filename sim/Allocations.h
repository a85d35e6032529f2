// Counts the heap allocations the plug-in makes while a frame runs: every
// allocation on the script fibre outside the host's own code.
#pragma once

namespace sim {

// Whether allocations can be counted in this build (they can under
// AddressSanitizer, whose allocator calls back on every allocation).
bool CanCountAllocations();

// Marks the host's own code for as long as it lives: its allocations are
// not the plug-in's.
class HostCode {
 public:
  HostCode();
  ~HostCode();
  HostCode(const HostCode&) = delete;
  HostCode& operator=(const HostCode&) = delete;
};

void StartCountingAllocations();
// Allocations since the start.
long StopCountingAllocations();

}  // namespace sim
