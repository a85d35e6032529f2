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
  if (vehicle == nullptr) return;
  if (leaveTaskFlags >= 0 || (leavePressed_ && !ControlDisabled(LeaveVehicleControl))) {
    if (leaveTaskFlags != LeaveWithoutStoppingFlag) vehicle->engineRunning = false;
    character.vehicle = 0;
    return;
  }
  const auto zeroed = controlsThisFrame_.find(AccelerateControl);
  const bool accelerate = input.keys[game_key::Accelerate] && !ControlDisabled(AccelerateControl) &&
                          !(zeroed != controlsThisFrame_.end() && zeroed->second == 0.0F);
  if (accelerate && vehicle->engineRunning && !vehicle->undriveable) vehicle->velocity.x += Acceleration;
}

void Game::DefineVehicleNatives() {
  Define(0x997ABD671D25CA0B, "is in any vehicle", 2, [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle));
  });
  Define(0x9A9112A0FE9A4713, "vehicle of character", 2, [this](Invocation& call) {
    call.Return(IsCharacter(call.Int(0)) && FindVehicle(character.vehicle) ? character.vehicle : 0);
  });
  Define(0xAE31E7DF9B5B132E, "engine running", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr && vehicle->engineRunning);
  });
  Define(0x2497C4717C8B881E, "set engine", 4, [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->engineRunning = call.Bool(1);
  });
  Define(0x8ABA6AF54B942B95, "set undriveable", 2, [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) vehicle->undriveable = call.Bool(1);
  });
  Define(0x580417101DDB492F, "control just pressed", 2, [this](Invocation& call) {
    call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_ && !ControlDisabled(LeaveVehicleControl));
  });
  Define(0x91AEF906BCA88877, "disabled control just pressed", 2,
         [this](Invocation& call) { call.Return(call.Int(1) == LeaveVehicleControl && leavePressed_); });
  Define(0xD3DBCE61A490BE02, "task leave vehicle", 3, [this](Invocation& call) {
    if (!IsCharacter(call.Int(0)) || call.Int(1) != character.vehicle)
      faults.push_back("leave task for another vehicle");
    leaveTaskFlags = call.Int(2);
  });
  Define(0xD5037BA82E12416F, "vehicle speed", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? Length(vehicle->velocity) : 0.0F);
  });
  Define(0x4805D2B1D8CF94A9, "vehicle velocity", 1, [this](Invocation& call) {
    VehicleModel* vehicle = FindVehicle(call.Int(0));
    call.Return(vehicle != nullptr ? vehicle->velocity : Vector3{0.0F, 0.0F, 0.0F});
  });
  Define(0x1C99BB7B6E96D16F, "set vehicle velocity", 4, [this](Invocation& call) {
    if (VehicleModel* vehicle = FindVehicle(call.Int(0))) {
      vehicle->velocity = {call.Float(1), call.Float(2), call.Float(3)};
    }
  });
}

void Game::DefineOnFootNatives() {
  Define(0x4F8644AF03D0E0D6, "player index", 0, [](Invocation& call) { call.Return(std::int32_t{0}); });
  Define(0xE28E54788CE8F12D, "wanted level", 1,
         [this](Invocation& call) { call.Return(character.wantedLevel); });
  Define(0x39FF19C64EF7DA5B, "set wanted level", 3,
         [this](Invocation& call) { pendingWanted_ = call.Int(1); });
  Define(0xE0A7D1E497FFCD6F, "apply wanted level", 2, [this](Invocation&) {
    if (pendingWanted_ < 0) faults.push_back("wanted level applied without being set");
    character.wantedLevel = pendingWanted_;
    pendingWanted_ = -1;
  });
  Define(0xF2EAB31979A7F910, "task hands up", 5, [this](Invocation& call) {
    if (call.Int(1) != -1 || call.Int(3) != -1) faults.push_back("hands up with a time limit");
    character.handsUp = true;
  });
  Define(0xE1EF3C1216AFF2CD, "clear tasks", 1, [this](Invocation&) {
    character.handsUp = false;
    ++character.tasksCleared;
  });
  Define(0xF3A21BCD95725A4A, "control pressed", 2, [this](Invocation& call) {
    call.Return(call.Int(1) == SprintControl && sprintHeld_ && !ControlDisabled(SprintControl));
  });
  Define(0x433083750C5E064A, "set max pace this frame", 2,
         [this](Invocation& call) { paceCap = call.Float(1); });
  Define(0xD75ACCF5E0FB5367, "set action mode", 4, [this](Invocation& call) {
    if (std::string(call.Text(3)) != "DEFAULT") faults.push_back("action mode other than DEFAULT");
    actionModeOff = !call.Bool(1);
  });
}

}  // namespace sim
