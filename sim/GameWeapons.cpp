// Weapons and controls: magazines that empty as the character fires and that
// the game reloads, controls the plug-in disables or presses for one frame,
// and HUD components it hides.
#include "Game.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr std::int32_t AttackControl = 24;
constexpr std::int32_t PassengerAttackControl = 92;
constexpr std::int32_t ReloadControl = 45;
}  // namespace

void Game::GiveWeapon(std::uint32_t hash, std::int32_t clip, std::int32_t magazine, std::int32_t total,
                      FireMode fire) {
  character.weapons[hash] = {clip, magazine, total, fire};
}

void Game::Draw(std::uint32_t hash) {
  character.weapon = hash;
  if (auto found = character.weapons.find(hash); found != character.weapons.end()) {
    WeaponModel& weapon = found->second;
    weapon.clip = std::min(weapon.magazine, weapon.total);
  }
}

bool Game::ControlDisabled(std::int32_t control) const {
  return std::find(disabledControls.begin(), disabledControls.end(), control) != disabledControls.end();
}

WeaponModel* Game::Owned(std::int32_t handle, std::uint32_t hash) {
  if (!IsCharacter(handle)) return nullptr;
  const auto found = character.weapons.find(hash);
  return found == character.weapons.end() ? nullptr : &found->second;
}

void Game::EndFrame(const Input& input) {
  const auto held = controlsThisFrame_.find(ReloadControl);
  MoveVehicles(input);
  const bool reloadPressed =
      input.keys[game_key::Reload] || (held != controlsThisFrame_.end() && held->second > 0.5F);
  controlsThisFrame_ = std::move(controlsNextFrame_);
  controlsNextFrame_.clear();

  WeaponModel* weapon = Owned(character.handle, character.weapon);
  const bool triggerDown = input.keys[game_key::Fire];
  if (weapon != nullptr && !character.dead) PullTrigger(input, *weapon);
  triggerWasDown_ = triggerDown;
  if (weapon == nullptr || character.dead) return;
  // The game reloads whenever its reload control is pressed, the magazine
  // is not full and cartridges are left beyond those in it.
  if (reloadPressed && !ControlDisabled(ReloadControl) && weapon->clip < weapon->magazine &&
      weapon->total > weapon->clip) {
    weapon->clip = std::min(weapon->magazine, weapon->total);
    ++reloads;
  }
}

// The left mouse button is the trigger; a passenger fires through the
// passenger attack control. A pull on an empty magazine with cartridges in
// reserve reloads it, as the game does.
void Game::PullTrigger(const Input& input, WeaponModel& weapon) {
  const std::int32_t attack = character.vehicle != 0 ? PassengerAttackControl : AttackControl;
  if (!input.keys[game_key::Fire] || ControlDisabled(attack)) return;
  const bool pulled = !triggerWasDown_;
  if (weapon.clip == 0) {
    if (pulled && weapon.total > 0) {
      weapon.clip = std::min(weapon.magazine, weapon.total);
      ++reloads;
    }
    return;
  }
  bool fires = true;
  if (weapon.fire == FireMode::PerPull) fires = pulled;
  if (weapon.fire == FireMode::Automatic) fires = pulled || input.tick - lastShotTick_ >= AutomaticInterval;
  if (!fires) return;
  --weapon.clip;
  weapon.total = std::max(0, weapon.total - 1);
  ++shotsFired;
  lastShotTick_ = input.tick;
}

void Game::DefineWeaponNatives() {
  Define(native::DisableControl, "disable control", [this](Invocation& call) {
    if (call.Int(0) != 0 || call.Int(2) != 1)
      faults.push_back("control disabled outside group 0 or without 1");
    disabledControls.push_back(call.Int(1));
  });
  Define(native::SetControlValueNextFrame, "set control value next frame", [this](Invocation& call) {
    if (call.Int(0) != 0) faults.push_back("control value set outside group 0");
    if (!std::isfinite(call.Float(2))) faults.push_back("a control value that is not a finite number");
    controlsNextFrame_[call.Int(1)] = call.Float(2);
    call.Return(true);
  });
  Define(native::GetAmmoInClip, "get ammo in clip", [this](Invocation& call) {
    WeaponModel* weapon = Owned(call.Int(0), call.Hash(1));
    if (weapon != nullptr) *call.Out<std::int32_t>(2) = weapon->clip;
    call.Return(weapon != nullptr);
  });
  Define(native::SetAmmoInClip, "set ammo in clip", [this](Invocation& call) {
    if (call.Int(2) < 0) faults.push_back("a magazine set to a negative count");
    if (WeaponModel* weapon = Owned(call.Int(0), call.Hash(1)))
      weapon->clip = std::clamp(call.Int(2), 0, weapon->magazine);
    call.Return(true);
  });
  Define(native::MaxAmmoInClip, "max ammo in clip", [this](Invocation& call) {
    WeaponModel* weapon = Owned(call.Int(0), call.Hash(1));
    call.Return(weapon != nullptr ? weapon->magazine : 0);
  });
  Define(native::GetTotalAmmo, "get total ammo", [this](Invocation& call) {
    WeaponModel* weapon = Owned(call.Int(0), call.Hash(1));
    call.Return(weapon != nullptr ? weapon->total : 0);
  });
  Define(native::SetTotalAmmo, "set total ammo", [this](Invocation& call) {
    if (call.Int(2) < 0) faults.push_back("total ammunition set to a negative amount");
    if (WeaponModel* weapon = Owned(call.Int(0), call.Hash(1))) weapon->total = std::max(0, call.Int(2));
  });
  Define(native::HideHudComponentThisFrame, "hide HUD component this frame",
         [this](Invocation& call) { hiddenHud.insert(call.Int(0)); });
}

}  // namespace sim
