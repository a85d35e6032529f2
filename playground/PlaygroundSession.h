// The playground's session: the world the player handles (a few weapons, a
// car, the wanted level), the real Halvane.asi loaded into it, and what the
// window's panel and the record show of both.
#pragma once

#include "Game.h"
#include "Host.h"
#include "PluginLoader.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace playground {

using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
// The real PlaySoundA, which the recorder passes each clip on to.
extern PlaySoundFunction realPlaySound;

// A clip the plug-in played this frame, by name, and whether PlaySoundA took it.
struct PlayedClip {
  const char* name;
  bool accepted;
};
extern std::vector<PlayedClip> framePlayed;

// The plug-in's import of PlaySoundA is pointed here: it records the clip and
// passes it on to the real one.
BOOL WINAPI RecordedPlaySound(LPCSTR sound, HMODULE module, DWORD flags);
// The game's own sounds the plug-in plays, by what they mean.
std::string FrontendSoundName(const std::string& name);

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

// The playground's own keys, as F1 lists them.
extern const std::vector<std::string> PlaygroundKeyLines;

// Halvane's bindings in force: the defaults, then each valid line of
// `settings` over them, as the plug-in reads the file; `settings` is the file
// as the plug-in last read or saved it, nothing when it read none.
std::vector<std::string> BindingLines(const std::optional<std::string>& settings);
// Set when the plug-in has just saved its settings file (its import of
// MoveFileExW or SetEndOfFile went through), so that what F1 lists follows.
extern bool pluginSavedSettings;
// The plug-in's imports of MoveFileExW and SetEndOfFile are pointed here:
// each calls the real one and notes a save that went through.
BOOL WINAPI SavingMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL WINAPI SavingSetEndOfFile(HANDLE file);
// The name of a control the plug-in disables, as the panel shows it.
const char* ControlName(std::int32_t control);
// Whether a key is down on the real keyboard or mouse.
bool Down(int key);

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

// The car's speed in metres per second.
float Speed(const sim::VehicleModel& car);

// ---- The session.

class Playground {
 public:
  // `folder` is one TakeFolder took: the plug-in is installed there from
  // `plugin` on each load, and runs from there. `pluginTyped`: the player
  // named it with --plugin, which a load error then names.
  Playground(const std::filesystem::path& plugin, const std::filesystem::path& folder, bool pluginTyped)
      : host_(folder / sim::PluginFileName, folder),
        plugin_(plugin),
        folder_(folder),
        pluginTyped_(pluginTyped) {}

  // The world, then the plug-in. When the plug-in cannot be loaded the world
  // runs without it and the window shows why.
  void Start();

  // One frame: the game's keys and clock from the real ones, the
  // playground's own keys, the plug-in's pass, then the world moves on.
  void Frame();

  bool Quit() const { return quit_; }
  const sim::Game& Game() const { return host_.game; }
  std::vector<std::string> Panel() const;
  const std::vector<std::string>& Help() const { return help_; }
  // Why the plug-in is not loaded and what the player can do; empty while it is.
  const std::string& LoadError() const { return loadError_; }
  // The game's ammunition counter as drawn at the top right this frame, or
  // nothing when no weapon with cartridges is in hand or its HUD component
  // is hidden.
  std::string AmmoCounter() const;
  std::string RecordLine() const;
  void Finish();

 private:
  bool LoadPlugin();
  // Takes the settings file as it is now as the one in force.
  void NoteSettingsInForce();

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
  std::filesystem::path plugin_;
  std::filesystem::path folder_;
  bool pluginTyped_;
  std::string loadError_;
  KeyEdges edges_;
  std::int32_t car_ = 0;
  int loads_ = 0;  // how many times the plug-in has been loaded
  std::size_t weapon_ = 1;
  std::vector<std::string> help_;               // shown while not empty
  std::optional<std::string> settingsInForce_;  // the file as the plug-in last read or saved it
  bool quit_ = false;
  bool inCar_ = false;
  bool engineOn_ = false;
  bool enteringWithF_ = false;
  bool reloading_ = false;  // the plug-in pressed the game's reload; waiting for a full magazine
  std::size_t notificationsSeen_ = 0;
  std::vector<std::string> frameNotices_;  // notifications posted this frame
  std::deque<std::string> log_;
};

}  // namespace playground
