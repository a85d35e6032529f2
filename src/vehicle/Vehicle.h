// The in-vehicle and on-foot block of the pass: the engine switch, the exit
// that leaves the engine running, the gears, and the walk pace on foot.
#pragma once

#include <cstdint>

struct EngineStateRecord {
  std::int32_t trackedVehicle;  // the vehicle the player was last found in; 0: none yet
  bool engineOn;
  bool engineKeyLatch;
  std::uint32_t engineOnTime;  // tick of the last switch-on by the binding
  bool wasInVehicle;
};
extern EngineStateRecord EngineState;

void VehicleStep(std::int32_t character);
