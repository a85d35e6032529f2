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

bool Game::SeatTaken(std::int32_t vehicle, std::int32_t seat) const {
  if (character.exists && character.vehicle == vehicle && character.seat == seat) return true;
  const auto found = vehicles.find(vehicle);
  return seat == -1 && found != vehicles.end() && found->second.otherDriver != 0;
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
  Define(native::IsInAnyVehicle, "is in any vehicle", [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle));
  });
  Define(native::VehicleOfCharacter, "vehicle of character", [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle) ? character.vehicle : 0);
  });
  Define(native::CharacterInSeat, "character in seat", [this](Invocation& call) {
    const std::int32_t handle = call.Int(0);
    const std::int32_t seat = call.Int(1);
    VehicleModel* vehicle = FindVehicle(handle);
    if (vehicle == nullptr) {
      call.Return(0);
    } else if (character.vehicle == handle && character.seat == seat) {
      call.Return(character.handle);
    } else if (seat == -1) {
      // An empty wheel of a vehicle of the passing traffic gets a stranger.
      if (vehicle->otherDriver == 0 && vehicle->ambient) vehicle->otherDriver = nextStranger_++;
      call.Return(vehicle->otherDriver);
    } else {
      call.Return(0);
    }
  });
  Define(native::VehicleClass, "vehicle class", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? vehicle->vehicleClass : 0);
  });
  Define(native::IsOnAllWheels, "is on all wheels", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr && vehicle->onAllWheels);
  });
  // As documented: 1000 for a handle that is no vehicle.
  Define(native::EngineHealth, "engine health", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? vehicle->engineHealth : 1000.0F);
  });
  Define(native::IsDriveable, "is driveable", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr && !vehicle->wrecked);
  });
  Define(native::IsSeatFree, "is seat free", [this](Invocation& call) {
    call.Return(FindVehicle(call.Int(0)) != nullptr && !SeatTaken(call.Int(0), call.Int(1)));
  });
  Define(native::EngineRunning, "engine running", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr && vehicle->engineRunning);
  });
  Define(native::SetEngine, "set engine", [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->engineRunning = call.Bool(1);
  });
  Define(native::SetUndriveable, "set undriveable", [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->undriveable = call.Bool(1);
  });
  Define(native::ControlJustPressed, "control just pressed", [this](Invocation& call) {
    call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_ && !ControlDisabled(LeaveVehicleControl));
  });
  Define(native::DisabledControlJustPressed, "disabled control just pressed",
         [this](Invocation& call) { call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_); });
  Define(native::TaskLeaveVehicle, "task leave vehicle", [this](Invocation& call) {
    if (!IsCharacter(call.Int(0)) || call.Int(1) != character.vehicle)
      faults.push_back("leave task for another vehicle");
    leaveTaskFlags = call.Int(2);
  });
  Define(native::VehicleSpeed, "vehicle speed", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? Length(vehicle->velocity) : 0.0F);
  });
  Define(native::VehicleVelocity, "vehicle velocity", [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? vehicle->velocity : Vector3{0.0F, 0.0F, 0.0F});
  });
  Define(native::SetVehicleVelocity, "set vehicle velocity", [this](Invocation& call) {
    if (!std::isfinite(call.Float(1)) || !std::isfinite(call.Float(2)) || !std::isfinite(call.Float(3)))
      faults.push_back("a velocity that is not a finite number");
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) {
      vehicle->velocity = {call.Float(1), call.Float(2), call.Float(3)};
    }
  });
}

void Game::DefineOnFootNatives() {
  Define(native::PlayerIndex, "player index", [](Invocation& call) { call.Return(std::int32_t{0}); });
  Define(native::WantedLevel, "wanted level",
         [this](Invocation& call) { call.Return(character.wantedLevel); });
  Define(native::SetWantedLevel, "set wanted level",
         [this](Invocation& call) { pendingWanted_ = call.Int(1); });
  Define(native::ApplyWantedLevel, "apply wanted level", [this](Invocation&) {
    if (pendingWanted_ < 0) faults.push_back("wanted level applied without being set");
    character.wantedLevel = pendingWanted_;
    pendingWanted_ = -1;
  });
  Define(native::TaskHandsUp, "task hands up", [this](Invocation& call) {
    if (call.Int(1) != -1 || call.Int(3) != -1) faults.push_back("hands up with a time limit");
    character.handsUp = true;
  });
  Define(native::ClearTasks, "clear tasks", [this](Invocation&) {
    character.handsUp = false;
    ++character.tasksCleared;
  });
  Define(native::ControlPressed, "control pressed", [this](Invocation& call) {
    call.Return(call.Int(1) == SprintControl && sprintHeld_ && !ControlDisabled(SprintControl));
  });
  Define(native::SetMaxPaceThisFrame, "set max pace this frame",
         [this](Invocation& call) { paceCap = call.Float(1); });
  Define(native::SetActionMode, "set action mode", [this](Invocation& call) {
    if (std::string(call.Text(3)) != "DEFAULT") faults.push_back("action mode other than DEFAULT");
    actionModeOff = !call.Bool(1);
  });
}

}  // namespace sim
