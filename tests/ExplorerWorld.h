// A fresh plug-in in a folder of its own, with the game image that holds the
// limiter store, driven pass by pass: what the explorers start every walk
// from. Unlike a Playthrough fixture, a test makes as many as it walks.
#pragma once

#include "Host.h"
#include "Playthrough.h"
#include "Promises.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace explore {

namespace key {
constexpr KeyCode Trigger = 0x01;
constexpr KeyCode Back = 0x08;
constexpr KeyCode Enter = 0x0D;
constexpr KeyCode Left = 0x25;
constexpr KeyCode Up = 0x26;
constexpr KeyCode Right = 0x27;
constexpr KeyCode Down = 0x28;
constexpr KeyCode Menu = 0x71;  // F2
constexpr KeyCode Safety = 'T';
constexpr KeyCode Reload = 'R';
constexpr KeyCode GearUp = '3';
}  // namespace key

// One walk in `stride` of an explorer's space: the sanitizers' build walks a
// short sample (HALVANE_EXPLORE=short, as the test command runs it there),
// the optimised build every walk.
inline int Stride(int stride) {
  const char* explore = std::getenv("HALVANE_EXPLORE");
  return explore != nullptr && std::strcmp(explore, "short") == 0 ? stride : 1;
}

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::uint32_t Rifle = 0xBFEFFF6D;
constexpr std::uint32_t LimiterOffset = 0x8CC;
constexpr const char* MenuMarker = "~y~>";

class World {
 public:
  // `file`: the settings file the plug-in finds at start-up; none when empty.
  explicit World(const std::string& file = "")
      : root_(MakeFolder()), host(HALVANE_PLUGIN_FILE, root_ / "game") {
    host.environment.mainImage = GameImage({LimiterOffset});
    if (!file.empty()) {
      std::filesystem::create_directories(host.Folder());
      std::FILE* out = std::fopen((host.Folder() / "Halvane.ini").c_str(), "wb");
      std::fwrite(file.data(), 1, file.size(), out);
      std::fclose(out);
    }
    host.Load();
  }
  ~World() {
    host.Unload();
    std::filesystem::remove_all(root_);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  void Hold(KeyCode code) { host.input.keys.at(static_cast<std::size_t>(code)) = true; }
  void Release(KeyCode code) { host.input.keys.at(static_cast<std::size_t>(code)) = false; }
  void Frame() {
    host.input.tick += 16;
    host.Frame();
  }
  void Tap(KeyCode code) {
    Hold(code);
    Frame();
    Release(code);
    Frame();
  }
  // A weapon given and drawn with `clip` in its magazine; counted as given.
  void Arm(std::uint32_t weapon, std::int32_t clip, std::int32_t total = 60,
           sim::FireMode fire = sim::FireMode::EachFrame) {
    host.game.GiveWeapon(weapon, clip, 12, total, fire);
    host.game.Draw(weapon);
    host.game.Weapon(weapon).clip = clip;
    given += total;
  }
  bool Drew(const std::string& text) const {
    for (const sim::DrawnText& drawn : host.game.texts) {
      if (drawn.text == text) return true;
    }
    return false;
  }
  bool MenuOpen() const { return Drew(MenuMarker); }
  std::string File() const { return promises::ReadWhole(host.Folder() / "Halvane.ini"); }

 private:
  // In memory where the machine has a RAM disk: a walk saves the settings
  // file hundreds of times, each handed to the disk.
  static std::filesystem::path MakeFolder() {
    std::string pattern = "/dev/shm/halvane-explore-XXXXXX";
    if (std::filesystem::is_directory("/dev/shm") && mkdtemp(pattern.data()) != nullptr) return pattern;
    return MakeTestFolder();
  }
  std::filesystem::path root_;

 public:
  sim::Host host;
  long given = 0;  // every cartridge the game has handed out
};

}  // namespace explore
