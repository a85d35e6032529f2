// The playground's session: the world, the plug-in loaded into it, and the
// clips it plays.
#include "PlaygroundSession.h"

#include "GameProcess.h"
#include "PlaygroundFolder.h"
#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/KeyNames.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace playground {

bool Down(int key) { return (static_cast<unsigned short>(GetAsyncKeyState(key)) & 0x8000U) != 0; }

float Speed(const sim::VehicleModel& car) {
  return std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y +
                   car.velocity.z * car.velocity.z);
}

void Playground::Start() {
  sim::Game& game = host_.game;
  for (const PlaygroundWeapon& weapon : Weapons) {
    if (weapon.hash != sim::Unarmed)
      game.GiveWeapon(weapon.hash, weapon.magazine, weapon.magazine, weapon.total, weapon.fire);
  }
  game.Draw(Weapons[1].hash);
  car_ = game.SpawnVehicle(false);
  // The game keeps the host and the system libraries loaded across reloads.
  for (const char* library : {"user32.dll", "winmm.dll", "shell32.dll", "xinput1_4.dll"})
    LoadLibraryA(library);
  realPlaySound = reinterpret_cast<PlaySoundFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("winmm.dll"), "PlaySoundA")));
  // Said once: with no device the clips are listed by name but not heard.
  if (waveOutGetNumDevs() == 0) {
    std::fprintf(stderr,
                 "playground: no sound device was found: Halvane's sounds are listed in the window by name, "
                 "but not heard\n");
    std::fflush(stderr);
    Log("no sound device: sounds not heard");
  }
  LoadPlugin();
}

void Playground::Frame() {
  sim::Input& input = host_.input;
  for (int key : {sim::game_key::Fire, sim::game_key::Sprint, sim::game_key::Accelerate,
                  sim::game_key::LeaveVehicle, sim::game_key::Reload}) {
    input.keys[static_cast<std::size_t>(key)] = Down(key);
  }
  input.tick = GetTickCount();
  PlaygroundKeys();
  framePlayed.clear();
  if (host_.Loaded()) {
    host_.Frame();
    if (pluginSavedSettings) NoteSettingsInForce();
  } else {
    // The world goes on without the plug-in: nothing of it is drawn.
    host_.game.BeginFrame(input);
    host_.game.EndFrame(input);
  }
  MoveCar();
  Observe();
}

void Playground::Finish() {
  host_.Unload();
  for (const std::string& error : host_.errors) std::fprintf(stderr, "substitute host: %s\n", error.c_str());
}

bool Playground::LoadPlugin() {
  // The stand-in host first, once: the plug-in's import binds to it.
  if (std::string error; GetModuleHandleA("ScriptHookV.dll") == nullptr && !LoadStandInHost(error)) {
    loadError_ = error + "\nUnpack the playground's zip again: its stand-in folder is part of it.";
    return false;
  }
  if (const std::optional<std::string> failed = InstallPlugin(plugin_, folder_, pluginTyped_)) {
    loadError_ = *failed;
    return false;
  }
  host_.Load();
  if (!host_.Loaded()) {
    loadError_.clear();
    for (const std::string& error : host_.errors) loadError_ += error + '\n';
    loadError_ += PluginAdvice(pluginTyped_);
    host_.errors.clear();
    return false;
  }
  loadError_.clear();
  ++loads_;
  const auto module = reinterpret_cast<HMODULE>(host_.Module());
  if (!PatchImport(module, "WINMM.dll", "PlaySoundA", 0, reinterpret_cast<void*>(&RecordedPlaySound))) {
    std::fputs("playground: the plug-in does not import PlaySoundA\n", stderr);
  }
  PatchImport(module, "KERNEL32.dll", "MoveFileExW", 0, reinterpret_cast<void*>(&SavingMoveFileEx));
  PatchImport(module, "KERNEL32.dll", "SetEndOfFile", 0, reinterpret_cast<void*>(&SavingSetEndOfFile));
  NoteSettingsInForce();  // the plug-in reads the file as it starts
  return true;
}

void Playground::NoteSettingsInForce() {
  pluginSavedSettings = false;
  // A file over 1 MiB is no settings file: the plug-in plays the defaults.
  const std::filesystem::path file = folder_ / "Halvane.ini";
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  std::ifstream stream;
  if (!error && size <= 1024 * 1024) stream.open(file, std::ios::binary);
  if (!stream.is_open()) {
    settingsInForce_.reset();
    return;
  }
  settingsInForce_ = std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void Playground::PlaygroundKeys() {
  sim::Game& game = host_.game;
  const std::size_t count = std::size(Weapons);
  if (edges_.Pressed(playground_key::NextWeapon)) weapon_ = (weapon_ + 1) % count;
  if (edges_.Pressed(playground_key::PreviousWeapon)) weapon_ = (weapon_ + count - 1) % count;
  if (game.character.weapon != Weapons[weapon_].hash) {
    game.Draw(Weapons[weapon_].hash);
    reloading_ = false;
  }
  if (edges_.Pressed(playground_key::MoreWanted))
    game.character.wantedLevel = std::min(5, game.character.wantedLevel + 1);
  if (edges_.Pressed(playground_key::LessWanted))
    game.character.wantedLevel = std::max(0, game.character.wantedLevel - 1);
  if (edges_.Pressed(playground_key::Help)) {
    if (help_.empty()) {
      help_ = PlaygroundKeyLines;
      const std::vector<std::string> bindings = BindingLines(settingsInForce_);
      help_.insert(help_.end(), bindings.begin(), bindings.end());
    } else {
      help_.clear();
    }
  }
  if (edges_.Pressed(playground_key::Quit)) quit_ = true;
  // F on foot gets into the car; in the car it is the game's own exit.
  const bool getIn = edges_.Pressed(sim::game_key::LeaveVehicle);
  if (getIn && game.character.vehicle == 0 && game.EntityExists(car_)) {
    game.Enter(car_);
    Log("got into the car");
    enteringWithF_ = true;
  }
  // The press that got in is not also an exit: the game sees F only once
  // it has been let go, both in this frame's input and now. (F let go
  // between the two would otherwise hand the game the F read at the frame's
  // start; F pressed between them, the next frame's F.)
  bool& leaveKey = host_.input.keys[static_cast<std::size_t>(sim::game_key::LeaveVehicle)];
  if (enteringWithF_ && !leaveKey && !Down(sim::game_key::LeaveVehicle)) enteringWithF_ = false;
  if (enteringWithF_) leaveKey = false;
  if (edges_.Pressed(playground_key::ReloadPlugin)) {
    host_.Unload();
    LoadPlugin();
    Log(host_.Loaded() ? "Halvane.asi reloaded from disk" : "Halvane.asi could not be loaded");
  }
}

// The car rolls on with a little drag, and S brakes it.
void Playground::MoveCar() {
  if (!host_.game.EntityExists(car_)) return;
  sim::VehicleModel& car = host_.game.Vehicle(car_);
  const bool braking = host_.game.character.vehicle == car_ && Down(playground_key::Brake);
  const float keep = braking ? 0.9F : 0.998F;
  car.velocity = {car.velocity.x * keep, car.velocity.y * keep, car.velocity.z * keep};
  if (Speed(car) < 0.05F) car.velocity = {0.0F, 0.0F, 0.0F};
}

void Playground::Observe() {
  const sim::Game& game = host_.game;
  for (const PlayedClip& clip : framePlayed)
    Log(std::string("sound: ") + clip.name + (clip.accepted ? "" : " (REFUSED by PlaySoundA)"));
  for (const sim::FrontendSound& sound : game.frontendSounds) Log("sound: " + FrontendSoundName(sound.name));
  frameNotices_.clear();
  for (; notificationsSeen_ < game.notifications.size(); ++notificationsSeen_) {
    const std::string& notice = game.notifications[notificationsSeen_];
    frameNotices_.push_back(notice);
    const std::string captured = "Key set to: ";
    Log(notice.starts_with(captured) ? "key captured: " + notice.substr(captured.size())
                                     : "notice: " + notice);
  }
  const sim::VehicleModel* car = CarSatIn();
  if (inCar_ && car == nullptr) Log("got out of the car");
  const bool engineOn = game.EntityExists(car_) && game.vehicles.at(car_).engineRunning;
  if (engineOn != engineOn_) Log(engineOn ? "engine on" : "engine off");
  inCar_ = car != nullptr;
  engineOn_ = engineOn;
  // The menu takes the screen: the key list makes way.
  for (const sim::DrawnText& text : game.texts) {
    if (text.text.starts_with("~y~Halvane~w~ | ")) help_.clear();
  }
  for (const sim::NativeCallRecord& call : host_.frameCalls) {
    if (call.hash == sim::native::SetControlValueNextFrame && call.args.size() == 3 &&
        call.args[1] == ReloadControl && call.args[2] == FullyPressed) {
      reloading_ = true;
    }
  }
  if (const sim::WeaponModel* held = WeaponInHand(); held != nullptr && held->clip >= 2) reloading_ = false;
  for (const std::string& error : host_.errors) Log("HOST ERROR: " + error);
  host_.errors.clear();
}

}  // namespace playground
