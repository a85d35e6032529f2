#include "vehicle/Vehicle.h"

#include "config/Config.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"
#include "onfoot/WalkPace.h"
#include "platform/Platform.h"
#include "vehicle/Gear.h"

constinit EngineStateRecord EngineState = {};

namespace {

constexpr NativeHash VehicleOfCharacter = 0x9A9112A0FE9A4713;
constexpr NativeHash EngineRunning = 0xAE31E7DF9B5B132E;
constexpr NativeHash SetEngine = 0x2497C4717C8B881E;
constexpr NativeHash SetUndriveable = 0x8ABA6AF54B942B95;
constexpr NativeHash ControlJustPressed = 0x580417101DDB492F;
constexpr NativeHash DisabledControlJustPressed = 0x91AEF906BCA88877;
constexpr NativeHash TaskLeaveVehicle = 0xD3DBCE61A490BE02;

constexpr std::int32_t AccelerateControl = 71;
constexpr std::int32_t LeaveVehicleControl = 75;
constexpr std::int32_t LeaveWithoutStoppingFlag = 256;
constexpr std::uint32_t StallRecoveryDelay = 3000;

void SetEngineState(std::int32_t vehicle, bool on, bool instantly, bool disableAutoStart) {
  CallNative(SetEngine, vehicle, on, instantly, disableAutoStart);
}

void SetDriveable(std::int32_t vehicle, bool driveable) { CallNative(SetUndriveable, vehicle, !driveable); }

bool Running(std::int32_t vehicle) { return CallNative<bool>(EngineRunning, vehicle); }

void EngineKeyStep(std::int32_t vehicle) {
  if (!KeyFires(EngineState.engineKeyLatch, Config.Engine)) return;
  EngineState.engineOn = !EngineState.engineOn;
  if (EngineState.engineOn) {
    EngineState.engineOnTime = platform::TickCount();
    SetDriveable(vehicle, true);
    SetEngineState(vehicle, true, false, false);
  } else {
    SetEngineState(vehicle, false, false, true);
    SetDriveable(vehicle, false);
  }
}

void InVehicleSequence(std::int32_t character) {
  const std::int32_t vehicle = CallNative<std::int32_t>(VehicleOfCharacter, character, 0);
  if (vehicle != EngineState.trackedVehicle) {
    EngineState.trackedVehicle = vehicle;
    EngineState.engineOn = Running(vehicle);
  }
  if (!EngineState.wasInVehicle) GearEntryReset();
  if (!EngineState.engineOn) {
    SetEngineState(vehicle, false, true, true);
    SetDriveable(vehicle, false);
  }
  EngineKeyStep(vehicle);
  if (EngineState.engineOn && platform::TickCount() - EngineState.engineOnTime > StallRecoveryDelay &&
      !Running(vehicle)) {
    SetEngineState(vehicle, true, true, true);
    SetDriveable(vehicle, true);
  }
  // The game's own exit would stop the engine; the plug-in's leave task does not.
  if (CallNative<bool>(ControlJustPressed, 0, LeaveVehicleControl) ||
      CallNative<bool>(DisabledControlJustPressed, 0, LeaveVehicleControl)) {
    CallNative(shared_native::DisableControl, 0, LeaveVehicleControl, 1);
    CallNative(TaskLeaveVehicle, character, vehicle, LeaveWithoutStoppingFlag);
  }
  if (Config.GearSystem) {
    GearStep(vehicle);
  } else {
    ClearGearLatches();
  }
  EngineState.wasInVehicle = true;
}

bool TrackedVehicleExists() {
  return EngineState.trackedVehicle != 0 &&
         CallNative<bool>(shared_native::EntityExists, EngineState.trackedVehicle);
}

void OnFootSequence(std::int32_t character) {
  WalkPaceStep(character);
  // A vehicle left running keeps running while the player is away from it.
  if (TrackedVehicleExists() && EngineState.engineOn) {
    SetEngineState(EngineState.trackedVehicle, true, true, true);
    SetDriveable(EngineState.trackedVehicle, true);
  }
  EngineState.wasInVehicle = false;
  ClearGearLatches();
}

}  // namespace

void VehicleStep(std::int32_t character) {
  const bool inVehicle = CallNative<bool>(shared_native::IsInAnyVehicle, character, 0);
  if (inVehicle) {
    InVehicleSequence(character);
  } else {
    OnFootSequence(character);
  }
  // The cheap tests first: on foot, or with the engine on, the host is not asked.
  if (inVehicle && !EngineState.engineOn && TrackedVehicleExists()) {
    CallNative(shared_native::DisableControl, 0, AccelerateControl, 1);
  }
}
