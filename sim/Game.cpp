#include "Game.h"

#include <bit>
#include <cstdio>

namespace sim {

float Invocation::Float(std::size_t i) const {
  return std::bit_cast<float>(static_cast<std::uint32_t>(args[i]));
}

void Invocation::Return(float value) { result[0] = std::bit_cast<std::uint32_t>(value); }

void Invocation::Return(Vector3 value) {
  Return(value.x);
  result[1] = std::bit_cast<std::uint32_t>(value.y);
  result[2] = std::bit_cast<std::uint32_t>(value.z);
}

Game::Game() {
  DefineCharacterNatives();
  DefineScreenNatives();
  DefineWeaponNatives();
  DefineVehicleNatives();
  DefineOnFootNatives();
}

void Game::Define(NativeHash hash, std::string name, std::function<void(Invocation&)> run) {
  natives_[hash] = NativeInfo{std::move(name), std::move(run)};
}

const NativeInfo* Game::Find(NativeHash hash) const {
  const auto found = natives_.find(hash);
  return found == natives_.end() ? nullptr : &found->second;
}

std::string Game::NameOf(NativeHash hash) const {
  if (const NativeInfo* info = Find(hash)) return info->name;
  char text[32];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(hash));
  return text;
}

void Game::BeginFrame(const Input& input) {
  leavePressed_ = input.keys[game_key::LeaveVehicle] && !leaveKeyWasDown_;
  leaveKeyWasDown_ = input.keys[game_key::LeaveVehicle];
  sprintHeld_ = input.keys[game_key::Sprint];
  paceCap = 0.0F;
  actionModeOff = false;
  leaveTaskFlags = -1;
  disabledControls.clear();
  hiddenHud.clear();
  texts.clear();
  rects.clear();
  drawCount = 0;
  textBegunThisFrame_ = false;
  notificationBegunThisFrame_ = false;
  frontendSounds.clear();
}

bool Game::EntityExists(std::int32_t handle) const {
  if (handle == character.handle) return character.exists;
  const auto vehicle = vehicles.find(handle);
  return vehicle != vehicles.end() && vehicle->second.exists;
}

void Game::DefineCharacterNatives() {
  Define(native::PlayerCharacter, "player character",
         [this](Invocation& call) { call.Return(character.handle); });
  Define(native::CurrentWeapon, "current weapon", [this](Invocation& call) {
    weaponSlotBeforeCall = *call.Out<std::uint32_t>(1);
    const bool known = IsCharacter(call.Int(0));
    if (known) *call.Out<std::uint32_t>(1) = character.weapon;
    call.Return(known);
  });
  Define(native::EntityModel, "entity model", [this](Invocation& call) {
    const bool known = IsCharacter(call.Int(0));
    call.Return(static_cast<std::int32_t>(known ? character.model : 0U));
  });
  Define(native::EntityExists, "entity exists",
         [this](Invocation& call) { call.Return(EntityExists(call.Int(0))); });
  Define(native::EntityIsDead, "entity is dead", [this](Invocation& call) {
    call.Return(call.Int(0) == character.handle && character.exists && character.dead);
  });
}

}  // namespace sim
