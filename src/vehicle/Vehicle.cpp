#include "vehicle/Vehicle.h"

#include "config/Config.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "onfoot/WalkPace.h"
#include "platform/EventTick.h"
#include "vehicle/Gear.h"

namespace {

// A normal exit that leaves the door open. The engine runs on because the
// on-foot pass holds a vehicle left running.
constexpr std::int32_t LeaveDoorOpenFlag = 256;
constexpr std::uint32_t StallRecoveryDelay = 3000;

// What Halvane runs of a vehicle, by the game's class of it.
enum class VehicleKind : std::uint8_t {
  Road,      // cars, motorcycles, vans...: the engine and the gears
  Boat,      // the engine and the gears; no wheels to be on
  Cycle,     // no engine: the gears alone
  Aircraft,  // helicopters, planes (G is their landing gear) and trains: nothing
};

VehicleKind KindOf(std::int32_t vehicleClass) {
  switch (vehicleClass) {
    case 13:
      return VehicleKind::Cycle;
    case 14:
      return VehicleKind::Boat;
    case 15:
    case 16:
    case 21:
      return VehicleKind::Aircraft;
    default:
      return VehicleKind::Road;
  }
}

struct EngineStateRecord {
  Entity trackedVehicle;  // the vehicle the player was last found in; 0: none yet
  VehicleKind kind;       // the tracked vehicle's
  bool engineOn;
  bool engineKeyLatch;
  EventTick engineOnTime;  // the last switch-on by the binding
  bool wasInVehicle;
};
constinit EngineStateRecord EngineState = {};

void SetDriveable(Entity vehicle, bool driveable) { natives::SetUndriveable(vehicle, !driveable); }

bool HasEngine() { return EngineState.kind == VehicleKind::Road || EngineState.kind == VehicleKind::Boat; }

// Whether the game has not killed the engine (destroyed, burning, drowned):
// only such an engine is started again without the player's key.
bool EngineAlive(Entity vehicle) {
  return natives::EngineHealth(vehicle) > 0.0F && natives::IsDriveable(vehicle);
}

// Whether `character` sits at the wheel of `vehicle`. Who sits there is asked
// only of a taken seat: asked of an empty one, the game seats a stranger.
bool AtTheWheel(Entity character, Entity vehicle) {
  return !natives::IsSeatFree(vehicle, natives::DriverSeat) &&
         natives::CharacterInSeat(vehicle, natives::DriverSeat) == character;
}

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

// The engine switch, its hold, the stall restart and the exit that leaves the
// engine running: for a vehicle with an engine.
void EngineSequence(Entity character, Entity vehicle) {
  if (!EngineState.engineOn) {
    natives::SetEngineOn(vehicle, false, true, true);
    SetDriveable(vehicle, false);
  }
  EngineKeyStep(vehicle);
  // A stalled engine is restarted, though not in the first seconds after the
  // binding switched it on; with no switch-on yet there is nothing to wait for.
  // An engine the game killed stays off, and the switch with it.
  if (EngineState.engineOn && !WithinWindow(EngineState.engineOnTime, PassTime(), StallRecoveryDelay + 1) &&
      !natives::IsEngineRunning(vehicle)) {
    if (EngineAlive(vehicle)) {
      natives::SetEngineOn(vehicle, true, true, true);
      SetDriveable(vehicle, true);
    } else {
      EngineState.engineOn = false;
    }
  }
  // The game's own exit would stop the engine; after the plug-in's leave
  // task the on-foot pass keeps it running.
  if (natives::IsControlJustPressed(Control::LeaveVehicle) ||
      natives::IsDisabledControlJustPressed(Control::LeaveVehicle)) {
    natives::DisableControl(Control::LeaveVehicle);
    natives::TaskLeaveVehicle(character, vehicle, LeaveDoorOpenFlag);
  }
}

void DriverSequence(Entity character, Entity vehicle) {
  // Another wheel straight from this one (a switch to another driving
  // character) keeps the gear, raised as far as the new vehicle's speed needs.
  const bool otherVehicle = vehicle != EngineState.trackedVehicle;
  const bool straightFromAWheel = otherVehicle && EngineState.wasInVehicle;
  if (otherVehicle) {
    EngineState.wasInVehicle = false;
    EngineState.kind = KindOf(natives::VehicleClass(vehicle));
    EngineState.engineOn = natives::IsEngineRunning(vehicle);
    EngineState.trackedVehicle = vehicle;
  }
  if (EngineState.kind == VehicleKind::Aircraft) {
    // The game flies it as it is: no engine switch, gears or limiter.
    EngineState.wasInVehicle = true;
    ClearGearLatches();
    return;
  }
  // Got in once the speed could be read; until then the gears rest.
  const bool geared = EngineState.wasInVehicle || GearEntryReset(vehicle, straightFromAWheel);
  if (HasEngine()) EngineSequence(character, vehicle);
  if (Config.GearSystem && geared) {
    GearStep(vehicle, EngineState.kind != VehicleKind::Boat);
  } else {
    ClearGearLatches();
  }
  EngineState.wasInVehicle = geared;
}

bool TrackedVehicleExists() {
  return EngineState.trackedVehicle != 0 && natives::EntityExists(EngineState.trackedVehicle);
}

void OnFootSequence(Entity character) {
  WalkPaceStep(character);
  // A vehicle left running keeps running while the player is away from it,
  // unless the game kills its engine meanwhile.
  if (HasEngine() && EngineState.engineOn && TrackedVehicleExists()) {
    if (EngineAlive(EngineState.trackedVehicle)) {
      natives::SetEngineOn(EngineState.trackedVehicle, true, true, true);
      SetDriveable(EngineState.trackedVehicle, true);
    } else {
      EngineState.engineOn = false;
    }
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
    driving = AtTheWheel(character, vehicle);
    if (driving) {
      DriverSequence(character, vehicle);
    } else {
      PassengerSequence();
    }
  } else {
    OnFootSequence(character);
  }
  // The cheap tests first: on foot, or with the engine on, the host is not asked.
  if (driving && HasEngine() && !EngineState.engineOn && TrackedVehicleExists()) {
    natives::DisableControl(Control::Accelerate);
  }
}

void VehicleWatchStep(Entity character) {
  if (!natives::IsInAnyVehicle(character)) {
    EngineState.wasInVehicle = false;
    return;
  }
  const Entity vehicle = natives::VehicleOfCharacter(character);
  if (vehicle != EngineState.trackedVehicle || !AtTheWheel(character, vehicle)) {
    EngineState.wasInVehicle = false;
  }
}

void ResetEngine() { EngineState = {}; }
