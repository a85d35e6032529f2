// The playground: the real Halvane.asi in a window, played on the real
// keyboard, mouse, pad, clock and sound. It loads the plug-in from a
// playground folder (where its Halvane.ini stays between runs), runs one pass
// per frame at about 60 frames a second on a fiber through the substitute
// ScriptHookV.dll and the game model, and leaves the plug-in's imports alone
// but for PlaySoundA, which it records and passes on to the real one.
//
//   halvane_playground.exe [--plugin Halvane.asi] [--folder DIR] [--record FILE]
//
// By default the plug-in is the Halvane.asi beside the program and the folder
// is "playground" beside it. --record writes one line a frame: the natives
// that changed the game, the texts drawn, the sounds and their results.
#include "GameProcess.h"
#include "Host.h"
#include "PlaygroundView.h"
#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/KeyNames.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

// ---- Sound: recorded, then played by the real PlaySoundA.

using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
PlaySoundFunction realPlaySound = nullptr;

struct PlayedClip {
  const char* name;
  bool accepted;
};
std::vector<PlayedClip> framePlayed;

// The plug-in's clips by name: the bytes played are compared with each.
const char* ClipName(const char* image, std::size_t size) {
  static const std::pair<const char*, std::span<const std::uint8_t>> clips[] = {
      {"dry fire", DryFireClip}, {"safety switch", SafetySwitchClip}, {"gear shift", GearShiftClip}};
  for (const auto& [name, clip] : clips) {
    if (clip.size() == size && std::memcmp(clip.data(), image, size) == 0) return name;
  }
  return "unknown clip";
}

BOOL WINAPI RecordedPlaySound(LPCSTR sound, HMODULE module, DWORD flags) {
  const BOOL accepted = realPlaySound(sound, module, flags);
  std::uint32_t riffSize = 0;
  if ((flags & SND_MEMORY) != 0 && sound != nullptr) std::memcpy(&riffSize, sound + 4, sizeof riffSize);
  framePlayed.push_back({ClipName(sound, riffSize + 8U), accepted != FALSE});
  return accepted;
}

// The game's own sounds the plug-in plays, by what they mean.
std::string FrontendSoundName(const std::string& name) {
  if (name == "NAV_UP_DOWN") return "menu move";
  if (name == "SELECT") return "menu select";
  if (name == "BACK") return "menu back";
  if (name == "CONTINUE") return "menu open";
  return name;
}

// ---- The world the player handles.

struct PlaygroundWeapon {
  const char* name;
  std::uint32_t hash;
  std::int32_t magazine;
  std::int32_t total;
  sim::FireMode fire;
};
// One weapon of each kind the plug-in tells apart, each firing at its own
// pace: plain firearms, a thrown weapon (never a safety nor a tracked
// magazine), a launcher (a safety but no tracked magazine), the empty hand.
constexpr PlaygroundWeapon Weapons[] = {
    {"Unarmed", sim::Unarmed, 0, 0, sim::FireMode::PerPull},
    {"Pistol", 0x1B06D571, 12, 120, sim::FireMode::PerPull},
    {"Rifle", 0xBFEFFF6D, 30, 240, sim::FireMode::Automatic},
    {"Grenade", 0x93E220BD, 1, 10, sim::FireMode::PerPull},
    {"Launcher", 0x0781FE4C, 1, 10, sim::FireMode::PerPull},
};

namespace playground_key {
constexpr int PreviousWeapon = 'Q';
constexpr int NextWeapon = 'E';
constexpr int MoreWanted = VK_PRIOR;  // Page Up
constexpr int LessWanted = VK_NEXT;   // Page Down
constexpr int Brake = 'S';
constexpr int Help = VK_F1;
constexpr int ReloadPlugin = VK_HOME;
constexpr int Quit = VK_ESCAPE;
}  // namespace playground_key

const std::vector<std::string> PlaygroundKeyLines = {
    "PLAYGROUND KEYS (F1 hides this)",
    "Left mouse    fire (the game's attack)",
    "R             the game's reload",
    "W / S         accelerate / brake in a car",
    "F             get into the car, or out",
    "Shift         sprint;  W A S D  move on foot",
    "Q / E         previous / next weapon",
    "Page Up/Down  wanted level up / down",
    "Home          reload Halvane.asi from disk",
    "Esc           quit",
    "",
};

// Halvane's bindings in force: the defaults, then each valid line of the
// Halvane.ini in `folder` over them, as the plug-in reads the file.
std::vector<std::string> BindingLines(const std::filesystem::path& folder) {
  ConfigRecord bindings = DefaultConfig;
  const std::pair<const char*, KeyCode*> keys[] = {{"SafetyToggle", &bindings.SafetyToggle},
                                                   {"Reload", &bindings.Reload},
                                                   {"Menu", &bindings.Menu},
                                                   {"Engine", &bindings.Engine},
                                                   {"Surrender", &bindings.Surrender},
                                                   {"GearUp", &bindings.GearUp},
                                                   {"GearDown", &bindings.GearDown}};
  // A file over 1 MiB is no settings file: the plug-in plays the defaults.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(folder / "Halvane.ini", error);
  std::ifstream file;
  if (!error && size <= 1024 * 1024) file.open(folder / "Halvane.ini", std::ios::binary);
  const bool fromFile = file.is_open();
  bool first = true;
  for (std::string line; std::getline(file, line); first = false) {
    if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // an editor's byte-order mark
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const KeyCode code = KeyCodeFromName(std::string_view(line).substr(equals + 1));
    for (const auto& [name, binding] : keys) {
      if (line.compare(0, equals, name) == 0 && code != -1) *binding = code;
    }
  }
  const auto bound = [](const char* action, KeyCode code) {
    char text[48];
    std::snprintf(text, sizeof text, "%-14s%s", action, KeyName(code));
    return std::string(text);
  };
  return {fromFile ? "HALVANE (from Halvane.ini)" : "HALVANE (defaults: no Halvane.ini read)",
          bound("Safety", bindings.SafetyToggle),
          bound("Reload", bindings.Reload),
          bound("Engine", bindings.Engine),
          bound("Gear up/down", bindings.GearUp) + " / " + KeyName(bindings.GearDown),
          bound("Surrender", bindings.Surrender),
          bound("Menu", bindings.Menu),
          "Ctrl          walking pace (fixed)"};
}

// The name of a control the plug-in disables, as the panel shows it.
const char* ControlName(std::int32_t control) {
  switch (static_cast<Control>(control)) {
    case Control::Sprint:
      return "sprint";
    case Control::Cover:
      return "cover";
    case Control::Attack:
      return "attack";
    case Control::Reload:
      return "reload";
    case Control::VehicleAttack:
      return "vehicle attack";
    case Control::Accelerate:
      return "accelerate";
    case Control::LeaveVehicle:
      return "leave vehicle";
    case Control::VehiclePassengerAttack:
      return "passenger attack";
    case Control::VehicleFlyAttack:
      return "fly attack";
    case Control::MeleeAttackLight:
      return "melee light";
    case Control::MeleeAttackHeavy:
      return "melee heavy";
    case Control::MeleeAttackAlternate:
      return "melee alternate";
    case Control::Attack2:
      return "attack 2";
    case Control::MeleeAttack1:
      return "melee 1";
    case Control::MeleeAttack2:
      return "melee 2";
  }
  return nullptr;
}

bool Down(int key) { return (static_cast<unsigned short>(GetAsyncKeyState(key)) & 0x8000U) != 0; }

// Edges of the playground's own keys.
class KeyEdges {
 public:
  bool Pressed(int key) {
    const bool down = Down(key);
    const bool pressed = down && !wasDown_[static_cast<std::size_t>(key)];
    wasDown_[static_cast<std::size_t>(key)] = down;
    return pressed;
  }

 private:
  std::array<bool, 256> wasDown_{};
};

constexpr float MilesPerHour = 2.237F;
// What the panel reads from the plug-in's calls: the game's attack control,
// and its reload control pressed fully (1.0 as a float's bits).
constexpr std::int32_t AttackControl = 24;
constexpr std::uint64_t ReloadControl = 45;
constexpr std::uint64_t FullyPressed = 0x3F800000;

float Speed(const sim::VehicleModel& car) {
  return std::sqrt(car.velocity.x * car.velocity.x + car.velocity.y * car.velocity.y +
                   car.velocity.z * car.velocity.z);
}

// ---- The session.

class Playground {
 public:
  Playground(const std::filesystem::path& plugin, const std::filesystem::path& folder)
      : host_(plugin, folder), folder_(folder) {}

  // The world, then the plug-in. When the plug-in cannot be loaded the world
  // runs without it and the window shows why.
  void Start() {
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
    if (std::string error; !LoadStandInHost(error)) {
      loadError_ = error;
      return;
    }
    LoadPlugin();
  }

  // One frame: the game's keys and clock from the real ones, the
  // playground's own keys, the plug-in's pass, then the world moves on.
  void Frame() {
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
    } else {
      // The world goes on without the plug-in: nothing of it is drawn.
      host_.game.BeginFrame(input);
      host_.game.EndFrame(input);
    }
    MoveCar();
    Observe();
  }

  bool Quit() const { return quit_; }
  const sim::Game& Game() const { return host_.game; }
  std::vector<std::string> Panel() const;
  const std::vector<std::string>& Help() const { return help_; }
  // Why the plug-in is not loaded; empty while it is.
  const std::string& LoadError() const { return loadError_; }
  // The game's ammunition counter as drawn at the top right this frame, or
  // nothing when no weapon with cartridges is in hand or its HUD component
  // is hidden.
  std::string AmmoCounter() const;
  std::string RecordLine() const;
  void Finish() {
    host_.Unload();
    for (const std::string& error : host_.errors)
      std::fprintf(stderr, "substitute host: %s\n", error.c_str());
  }

 private:
  bool LoadPlugin() {
    host_.Load();
    if (!host_.Loaded()) {
      loadError_.clear();
      for (const std::string& error : host_.errors) loadError_ += (loadError_.empty() ? "" : "\n") + error;
      host_.errors.clear();
      return false;
    }
    loadError_.clear();
    ++loads_;
    if (!PatchImport(reinterpret_cast<HMODULE>(host_.Module()), "WINMM.dll", "PlaySoundA", 0,
                     reinterpret_cast<void*>(&RecordedPlaySound))) {
      std::fputs("playground: the plug-in does not import PlaySoundA\n", stderr);
    }
    return true;
  }

  // The car the character sits in, or null on foot.
  const sim::VehicleModel* CarSatIn() const {
    const sim::Game& game = host_.game;
    const std::int32_t car = game.character.vehicle;
    return car != 0 && game.EntityExists(car) ? &game.vehicles.at(car) : nullptr;
  }
  // The weapon in hand, or null for the empty hand.
  const sim::WeaponModel* WeaponInHand() const {
    const sim::Character& character = host_.game.character;
    const auto held = character.weapons.find(character.weapon);
    return held != character.weapons.end() ? &held->second : nullptr;
  }
  void PlaygroundKeys();
  void MoveCar();
  void Observe();
  void Log(std::string entry) {
    log_.push_back(std::move(entry));
    if (log_.size() > 9) log_.pop_front();
  }

  sim::Host host_;
  std::filesystem::path folder_;
  std::string loadError_;
  KeyEdges edges_;
  std::int32_t car_ = 0;
  int loads_ = 0;  // how many times the plug-in has been loaded
  std::size_t weapon_ = 1;
  std::vector<std::string> help_;  // shown while not empty
  bool quit_ = false;
  bool inCar_ = false;
  bool engineOn_ = false;
  bool enteringWithF_ = false;
  bool reloading_ = false;  // the plug-in pressed the game's reload; waiting for a full magazine
  std::size_t notificationsSeen_ = 0;
  std::vector<std::string> frameNotices_;  // notifications posted this frame
  std::deque<std::string> log_;
};

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
      const std::vector<std::string> bindings = BindingLines(folder_);
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
  // it has been let go.
  if (enteringWithF_ && !Down(sim::game_key::LeaveVehicle)) enteringWithF_ = false;
  if (enteringWithF_) host_.input.keys[static_cast<std::size_t>(sim::game_key::LeaveVehicle)] = false;
  if (edges_.Pressed(playground_key::ReloadPlugin)) {
    host_.Unload();
    if (std::string error; !GetModuleHandleA("ScriptHookV.dll") && !LoadStandInHost(error)) {
      loadError_ = error;
    } else {
      LoadPlugin();
    }
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

bool Disabled(const sim::Game& game, std::int32_t control) {
  return std::find(game.disabledControls.begin(), game.disabledControls.end(), control) !=
         game.disabledControls.end();
}

std::vector<std::string> Playground::Panel() const {
  const sim::Game& game = host_.game;
  const sim::Character& character = game.character;
  std::vector<std::string> lines = {"HALVANE PLAYGROUND  (F1: keys)",
                                    host_.Loaded() ? "plug-in loaded" : "plug-in NOT loaded", ""};
  char line[96];
  if (const sim::VehicleModel* car = CarSatIn()) {
    // As the plug-in left it this frame, before the world moved the car on.
    const float speed = game.speedAfterPass;
    lines.push_back("In a car");
    std::snprintf(line, sizeof line, "Speed  %.2f m/s  %d mph", static_cast<double>(speed),
                  static_cast<int>(speed * MilesPerHour));
    lines.emplace_back(line);
    std::string gear = "none shown";
    for (const sim::DrawnText& text : game.texts) {
      if (text.style.font == 4 && text.style.scaleX == 0.5F) gear = text.text;
    }
    lines.push_back("Gear   " + gear);
    lines.push_back(std::string("Engine ") + (car->engineRunning ? "running" : "off") +
                    (car->undriveable ? ", held" : ""));
  } else {
    lines.push_back("On foot");
    std::snprintf(line, sizeof line, "Pace   %s",
                  game.paceCap == 0.0F   ? "free"
                  : game.paceCap == 1.0F ? "walking (cap 1)"
                                         : "sprint (cap 3)");
    lines.emplace_back(line);
  }
  const sim::WeaponModel* held = WeaponInHand();
  lines.push_back("Weapon " + std::string(Weapons[weapon_].name));
  if (held != nullptr) {
    std::snprintf(line, sizeof line, "  magazine %d  reserve %d", held->clip, held->total - held->clip);
    lines.emplace_back(line);
  }
  const bool fireBlocked = Disabled(game, AttackControl);
  const bool empty = fireBlocked && held != nullptr && held->clip == 1 && game.hiddenHud.count(2) == 1;
  lines.push_back(std::string("Status ") + (reloading_    ? "Reloading"
                                            : empty       ? "Empty"
                                            : fireBlocked ? "Safety ON"
                                                          : "ready"));
  std::snprintf(line, sizeof line, "Wanted %d   hands %s", character.wantedLevel,
                character.handsUp ? "UP" : "down");
  lines.emplace_back(line);
  std::snprintf(line, sizeof line, "Shots  %d  reloads %d", game.shotsFired, game.reloads);
  lines.emplace_back(line);
  // The controls the plug-in disabled this frame, by name, a few to a line.
  std::string disabled = "Disabled";
  for (std::int32_t control :
       std::set<std::int32_t>(game.disabledControls.begin(), game.disabledControls.end())) {
    const char* name = ControlName(control);
    const std::string entry = name != nullptr ? name : "control " + std::to_string(control);
    if (disabled.size() + entry.size() > 30) {
      lines.push_back(disabled);
      disabled = "       ";
    }
    disabled += ' ' + entry;
  }
  lines.push_back(disabled);
  lines.emplace_back("");
  lines.emplace_back("-- log --");
  lines.insert(lines.end(), log_.begin(), log_.end());
  return lines;
}

std::string Argument(std::uint64_t value) {
  if (value > 0xFFFFFFFFULL) return "p";
  const auto number = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (number > -0x10000 && number < 0x10000) return std::to_string(number);
  float asFloat;
  const auto bits = static_cast<std::uint32_t>(value);
  std::memcpy(&asFloat, &bits, sizeof asFloat);
  char text[32];
  std::snprintf(text, sizeof text, "%gf", static_cast<double>(asFloat));
  return text;
}

// The natives that change the game; queries and drawing are left out (the
// texts are listed on their own).
bool ChangesTheGame(NativeHash hash) {
  using namespace sim::native;
  static const std::set<NativeHash> changes = {DisableControl, SetControlValueNextFrame,  SetAmmoInClip,
                                               SetTotalAmmo,   HideHudComponentThisFrame, SetEngine,
                                               SetUndriveable, TaskLeaveVehicle,          SetVehicleVelocity,
                                               SetWantedLevel, ApplyWantedLevel,          TaskHandsUp,
                                               ClearTasks,     SetMaxPaceThisFrame,       SetActionMode};
  return changes.count(hash) == 1;
}

std::string Playground::AmmoCounter() const {
  const sim::WeaponModel* held = WeaponInHand();
  if (held == nullptr || held->magazine == 0 ||
      host_.game.hiddenHud.count(static_cast<std::int32_t>(HudComponent::WeaponIcon)) == 1)
    return {};
  char text[64];
  std::snprintf(text, sizeof text, "%s  %d | %d", Weapons[weapon_].name, held->clip,
                held->total - held->clip);
  return text;
}

std::string Playground::RecordLine() const {
  const sim::Game& game = host_.game;
  char opening[64];
  std::snprintf(opening, sizeof opening, "frame %d tick %u |", host_.frameNumber, host_.input.tick);
  std::string line = opening;
  for (const sim::NativeCallRecord& call : host_.frameCalls) {
    if (!ChangesTheGame(call.hash)) continue;
    line += ' ';
    line += game.NameOf(call.hash);
    line += '(';
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      if (i > 0) line += ',';
      line += Argument(call.args[i]);
    }
    line += ')';
  }
  line += " | texts:";
  for (const sim::DrawnText& text : game.texts) line += " \"" + text.text + "\"";
  line += " | sounds:";
  for (const PlayedClip& clip : framePlayed)
    line += std::string(" \"") + clip.name + (clip.accepted ? "\" accepted" : "\" refused");
  for (const sim::FrontendSound& sound : game.frontendSounds)
    line += " \"" + FrontendSoundName(sound.name) + "\"";
  line += " | notices:";
  for (const std::string& notice : frameNotices_) line += " \"" + notice + "\"";
  const std::string counter = AmmoCounter();
  line += " | ammo counter: " + (counter.empty() ? std::string("hidden") : counter);
  if (!loadError_.empty()) {
    std::string error = loadError_;
    std::replace(error.begin(), error.end(), '\n', ';');
    line += " | plug-in error: " + error;
  }
  line += " | world:";
  const sim::Character& character = game.character;
  if (const sim::VehicleModel* car = CarSatIn()) {
    char text[64];
    std::snprintf(text, sizeof text, " in car, engine %s, speed %.2f", car->engineRunning ? "on" : "off",
                  static_cast<double>(game.speedAfterPass));
    line += text;
  } else {
    line += " on foot";
  }
  const sim::WeaponModel* held = WeaponInHand();
  char world[128];
  std::snprintf(world, sizeof world, ", weapon %s %d/%d, shots %d, wanted %d%s, load %d",
                Weapons[weapon_].name, held != nullptr ? held->clip : 0, held != nullptr ? held->total : 0,
                game.shotsFired, character.wantedLevel, character.handsUp ? ", hands up" : "", loads_);
  line += world;
  return line;
}

struct Options {
  std::filesystem::path plugin;
  std::filesystem::path folder;
  std::optional<std::filesystem::path> record;
};

std::optional<Options> ReadOptions() {
  const std::filesystem::path here = ProgramFolder();
  Options options{here / "Halvane.asi", here / "playground", std::nullopt};
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) {
    const std::wstring option = arguments[i];
    if (i + 1 >= count) return std::nullopt;
    const std::filesystem::path value = arguments[++i];
    if (option == L"--plugin") {
      options.plugin = value;
    } else if (option == L"--folder") {
      options.folder = value;
    } else if (option == L"--record") {
      options.record = value;
    } else {
      return std::nullopt;
    }
  }
  LocalFree(arguments);
  return options;
}

}  // namespace

int main() {
  const std::optional<Options> options = ReadOptions();
  if (!options) {
    std::fputs("usage: halvane_playground [--plugin Halvane.asi] [--folder DIR] [--record FILE]\n", stderr);
    return 2;
  }
  std::ofstream record;
  if (options->record) record.open(*options->record);

  Playground playground(options->plugin, options->folder);
  playground.Start();
  if (!playground.LoadError().empty())
    std::fprintf(stderr, "playground: %s\n", playground.LoadError().c_str());
  PlaygroundView view;
  if (!view.Open(1600, 720)) {  // a 1280x720 game view and the panel
    std::fputs("playground: no window\n", stderr);
    return 1;
  }
  // About 60 frames a second, each frame at its own time so that a slow
  // one does not slow the rest.
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (long long frame = 1; !view.Closed() && !playground.Quit(); ++frame) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    playground.Frame();
    if (record.is_open()) record << playground.RecordLine() << std::endl;
    view.Draw(playground.Game(), playground.AmmoCounter(), playground.Panel(), playground.Help(),
              playground.LoadError());
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long due = start.QuadPart + frame * frequency.QuadPart / 60;
    if (due > now.QuadPart) Sleep(static_cast<DWORD>((due - now.QuadPart) * 1000 / frequency.QuadPart));
  }
  playground.Finish();
  return 0;
}
