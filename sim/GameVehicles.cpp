// Vehicles and the character on foot: engines, the exit, velocity and the
// object memory of the limiter; wanted level, tasks and the pace cap.
#include "Game.h"

#include <cmath>

namespace sim {

namespace {
constexpr std::int32_t AccelerateControl = 71;
constexpr std::int32_t LeaveVehicleControl = 75;
constexpr std::int32_t SprintControl = 21;
constexpr std::int32_t LeaveWithoutStoppingFlag = 256;
constexpr float Acceleration = 0.5F;  // m/s gained per frame with the accelerator down

float Length(Vector3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
}  // namespace

std::int32_t Game::SpawnVehicle(bool engineRunning) {
  const std::int32_t handle = nextVehicle_++;
  vehicles[handle].engineRunning = engineRunning;
  return handle;
}

VehicleModel* Game::FindVehicle(std::int32_t handle) {
  const auto found = vehicles.find(handle);
  return found == vehicles.end() || !found->second.exists ? nullptr : &found->second;
}

std::uint8_t* Game::ObjectMemory(std::int32_t handle) {
  VehicleModel* vehicle = FindVehicle(handle);
  return vehicle == nullptr ? nullptr : vehicle->memory.data();
}

// The frame's driving after the pass: the game's own exit stops the engine,
// the plug-in's leave task does not; the accelerator speeds a running,
// drivable vehicle up unless the plug-in disabled it or zeroed it.
void Game::MoveVehicles(const Input& input) {
  VehicleModel* vehicle = FindVehicle(character.vehicle);
  speedAfterPass = 0.0F;
  if (vehicle == nullptr) return;
  const Vector3& v = vehicle->velocity;
  speedAfterPass = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (leaveTaskFlags >= 0 || (leavePressed_ && !ControlDisabled(LeaveVehicleControl))) {
    // The game's own exit stops the engine of a car one drives, not a taxi's.
    if (leaveTaskFlags != LeaveWithoutStoppingFlag && character.seat == -1) vehicle->engineRunning = false;
    character.vehicle = 0;
    return;
  }
  const auto zeroed = controlsThisFrame_.find(AccelerateControl);
  const bool accelerate = character.seat == -1 && input.keys[game_key::Accelerate] &&
                          !ControlDisabled(AccelerateControl) &&
                          !(zeroed != controlsThisFrame_.end() && zeroed->second == 0.0F);
  if (accelerate && vehicle->engineRunning && !vehicle->undriveable) vehicle->velocity.x += Acceleration;
}

void Game::DefineVehicleNatives() {
  Define(native::IsInAnyVehicle, "is in any vehicle", 2, [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle));
  });
  Define(native::VehicleOfCharacter, "vehicle of character", 2, [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle) ? character.vehicle : 0);
  });
  Define(native::CharacterInSeat, "character in seat", 3, [this](Invocation& call) {
    const std::int32_t handle = call.Int(0);
    const std::int32_t seat = call.Int(1);
    VehicleModel* vehicle = FindVehicle(handle);
    if (vehicle == nullptr) {
      call.Return(0);
    } else if (character.vehicle == handle && character.seat == seat) {
      call.Return(character.handle);
    } else {
      call.Return(seat == -1 ? vehicle->otherDriver : 0);
    }
  });
  Define(native::EngineRunning, "engine running", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr && vehicle->engineRunning);
  });
  Define(native::SetEngine, "set engine", 4, [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->engineRunning = call.Bool(1);
  });
  Define(native::SetUndriveable, "set undriveable", 2, [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->undriveable = call.Bool(1);
  });
  Define(native::ControlJustPressed, "control just pressed", 2, [this](Invocation& call) {
    call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_ && !ControlDisabled(LeaveVehicleControl));
  });
  Define(native::DisabledControlJustPressed, "disabled control just pressed", 2,
         [this](Invocation& call) { call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_); });
  Define(native::TaskLeaveVehicle, "task leave vehicle", 3, [this](Invocation& call) {
    if (!IsCharacter(call.Int(0)) || call.Int(1) != character.vehicle)
      faults.push_back("leave task for another vehicle");
    leaveTaskFlags = call.Int(2);
  });
  Define(native::VehicleSpeed, "vehicle speed", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? Length(vehicle->velocity) : 0.0F);
  });
  Define(native::VehicleVelocity, "vehicle velocity", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? vehicle->velocity : Vector3{0.0F, 0.0F, 0.0F});
  });
  Define(native::SetVehicleVelocity, "set vehicle velocity", 4, [this](Invocation& call) {
    if (!std::isfinite(call.Float(1)) || !std::isfinite(call.Float(2)) || !std::isfinite(call.Float(3)))
      faults.push_back("a velocity that is not a finite number");
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) {
      vehicle->velocity = {call.Float(1), call.Float(2), call.Float(3)};
    }
  });
}

void Game::DefineOnFootNatives() {
  Define(native::PlayerIndex, "player index", 0, [](Invocation& call) { call.Return(std::int32_t{0}); });
  Define(native::WantedLevel, "wanted level", 1,
         [this](Invocation& call) { call.Return(character.wantedLevel); });
  Define(native::SetWantedLevel, "set wanted level", 3,
         [this](Invocation& call) { pendingWanted_ = call.Int(1); });
  Define(native::ApplyWantedLevel, "apply wanted level", 2, [this](Invocation&) {
    if (pendingWanted_ < 0) faults.push_back("wanted level applied without being set");
    character.wantedLevel = pendingWanted_;
    pendingWanted_ = -1;
  });
  Define(native::TaskHandsUp, "task hands up", 5, [this](Invocation& call) {
    if (call.Int(1) != -1 || call.Int(3) != -1) faults.push_back("hands up with a time limit");
    character.handsUp = true;
  });
  Define(native::ClearTasks, "clear tasks", 1, [this](Invocation&) {
    character.handsUp = false;
    ++character.tasksCleared;
  });
  Define(native::ControlPressed, "control pressed", 2, [this](Invocation& call) {
    call.Return(call.Int(1) == SprintControl && sprintHeld_ && !ControlDisabled(SprintControl));
  });
  Define(native::SetMaxPaceThisFrame, "set max pace this frame", 2,
         [this](Invocation& call) { paceCap = call.Float(1); });
  Define(native::SetActionMode, "set action mode", 4, [this](Invocation& call) {
    if (std::string(call.Text(3)) != "DEFAULT") faults.push_back("action mode other than DEFAULT");
    actionModeOff = !call.Bool(1);
  });
}

}  // namespace sim
