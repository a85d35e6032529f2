#include "vehicle/Vehicle.h"

#include "config/Config.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "onfoot/WalkPace.h"
#include "platform/EventTick.h"
#include "vehicle/Gear.h"

namespace {

constexpr std::int32_t LeaveWithoutStoppingFlag = 256;
constexpr std::uint32_t StallRecoveryDelay = 3000;

struct EngineStateRecord {
  Entity trackedVehicle;  // the vehicle the player was last found in; 0: none yet
  bool engineOn;
  bool engineKeyLatch;
  EventTick engineOnTime;  // the last switch-on by the binding
  bool wasInVehicle;
};
constinit EngineStateRecord EngineState = {};

void SetDriveable(Entity vehicle, bool driveable) { natives::SetUndriveable(vehicle, !driveable); }

void EngineKeyStep(Entity vehicle) {
  if (!KeyFires(EngineState.engineKeyLatch, Config.Engine)) return;
  EngineState.engineOn = !EngineState.engineOn;
  if (EngineState.engineOn) {
    EngineState.engineOnTime = PassTime();
    SetDriveable(vehicle, true);
    natives::SetEngineOn(vehicle, true, false, false);
  } else {
    natives::SetEngineOn(vehicle, false, false, true);
    SetDriveable(vehicle, false);
  }
}

void DriverSequence(Entity character, Entity vehicle) {
  if (vehicle != EngineState.trackedVehicle) {
    EngineState.trackedVehicle = vehicle;
    EngineState.engineOn = natives::IsEngineRunning(vehicle);
  }
  if (!EngineState.wasInVehicle) GearEntryReset();
  if (!EngineState.engineOn) {
    natives::SetEngineOn(vehicle, false, true, true);
    SetDriveable(vehicle, false);
  }
  EngineKeyStep(vehicle);
  // A stalled engine is restarted, though not in the first seconds after the
  // binding switched it on; with no switch-on yet there is nothing to wait for.
  if (EngineState.engineOn && !WithinWindow(EngineState.engineOnTime, PassTime(), StallRecoveryDelay + 1) &&
      !natives::IsEngineRunning(vehicle)) {
    natives::SetEngineOn(vehicle, true, true, true);
    SetDriveable(vehicle, true);
  }
  // The game's own exit would stop the engine; the plug-in's leave task does not.
  if (natives::IsControlJustPressed(Control::LeaveVehicle) ||
      natives::IsDisabledControlJustPressed(Control::LeaveVehicle)) {
    natives::DisableControl(Control::LeaveVehicle);
    natives::TaskLeaveVehicle(character, vehicle, LeaveWithoutStoppingFlag);
  }
  if (Config.GearSystem) {
    GearStep(vehicle);
  } else {
    ClearGearLatches();
  }
  EngineState.wasInVehicle = true;
}

bool TrackedVehicleExists() {
  return EngineState.trackedVehicle != 0 && natives::EntityExists(EngineState.trackedVehicle);
}

void OnFootSequence(Entity character) {
  WalkPaceStep(character);
  // A vehicle left running keeps running while the player is away from it.
  if (TrackedVehicleExists() && EngineState.engineOn) {
    natives::SetEngineOn(EngineState.trackedVehicle, true, true, true);
    SetDriveable(EngineState.trackedVehicle, true);
  }
  EngineState.wasInVehicle = false;
  ClearGearLatches();
}

// In another seat than the driver's (a taxi, a friend's car) the car is not
// the player's to run: no engine handling, no gears, nothing of it touched.
// Moving over to the wheel then counts as getting in.
void PassengerSequence() {
  EngineState.wasInVehicle = false;
  ClearGearLatches();
}

}  // namespace

void VehicleStep(Entity character) {
  bool driving = false;
  if (natives::IsInAnyVehicle(character)) {
    const Entity vehicle = natives::VehicleOfCharacter(character);
    driving = natives::CharacterInSeat(vehicle, natives::DriverSeat) == character;
    if (driving) {
      DriverSequence(character, vehicle);
    } else {
      PassengerSequence();
    }
  } else {
    OnFootSequence(character);
  }
  // The cheap tests first: on foot, or with the engine on, the host is not asked.
  if (driving && !EngineState.engineOn && TrackedVehicleExists()) {
    natives::DisableControl(Control::Accelerate);
  }
}

void VehicleWatchStep(Entity character) {
  if (!natives::IsInAnyVehicle(character)) {
    EngineState.wasInVehicle = false;
    return;
  }
  const Entity vehicle = natives::VehicleOfCharacter(character);
  if (vehicle != EngineState.trackedVehicle ||
      natives::CharacterInSeat(vehicle, natives::DriverSeat) != character) {
    EngineState.wasInVehicle = false;
  }
}

void ResetEngine() { EngineState = {}; }
