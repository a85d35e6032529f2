// The Wine runner's session and what every playthrough shares: the real
// Halvane.asi loaded as a player installs it, its imports of the keyboard,
// pad, clock and sound pointed at scripted input, its file calls noted, and
// the checks.
#pragma once

#include "GameProcess.h"
#include "Host.h"
#include "menu/Menu.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace runner {

sim::Host& Active();

// Counts a failure and says what it was, when `condition` does not hold.
void Check(bool condition, const std::string& what);
extern int failures;

// Through CreateFileW, which takes a \\?\ path as it stands.
std::string ReadFile(const std::filesystem::path& path);
// The temporary the plug-in saves the settings file in `folder` through, as
// it names it in this process.
std::filesystem::path Temporary(const std::filesystem::path& folder);
// Which file a name leads to now: a replace gives the name another.
std::uint64_t FileIndex(const std::filesystem::path& path);
// The whole path of the file a name leads to, links followed; empty when
// there is none.
std::wstring FinalPath(const std::filesystem::path& path);
// The file the first start writes, with the CR LF line ends of Windows.
extern const std::string DefaultFile;

// The keybindings page's row with the label `label`, counted from the top,
// as the menu lays its rows out from the settings table.
constexpr int RowOf(std::string_view label) {
  for (std::size_t row = 0; row < KeybindingSettings.size(); ++row) {
    if (KeybindingSettings[row]->menuLabel == label) return static_cast<int>(row);
  }
  return -1;
}
static_assert(RowOf("Hide Ammo Counter") > 0 && RowOf("Engine Toggle") > 0 && RowOf("Gear Up") > 0);

// The slot the scripted pad is plugged into; the plug-in reads slot 0 only.
extern DWORD padSlot;
// The flags of the last clip the plug-in played.
extern DWORD soundFlags;

// What the settings file held just before each cut the plug-in made, and
// the length it was cut to, while `watchedSettingsFile` names it.
struct BeforeCut {
  std::string content;
  LONGLONG length;
};
extern std::vector<BeforeCut> beforeCuts;
// What the settings file held after each write the C runtime made to it,
// while `watchedSettingsFile` names it; `writesWatched` says whether the
// runtime's writes could be watched at all.
extern std::vector<std::string> afterWrites;
extern bool writesWatched;
extern std::filesystem::path watchedSettingsFile;
// Called with the target of each MoveFileExW or ReplaceFileW the plug-in
// makes, just before it is made: another program's moment to put a file
// there, or to mark the one there.
extern std::function<void(const std::filesystem::path& target)> beforeMove;
// How often the plug-in called ReplaceFileW, whatever came of it.
extern int replaceFileCalls;
// Called with the file's index after each file the plug-in hands to the disk
// (_commit): the moment between a temporary's write and its replace.
extern std::function<void(std::uint64_t file)> afterCommit;
// Points the file calls of the plug-in loaded as `module` (and the C
// runtime's writes) at the recorders above, what was noted before cleared
// (RunnerFileCalls.cpp).
void NoteFileCalls(HMODULE module);

// A loaded plug-in with scripted input, as a player would install it.
class Session {
 public:
  Session(const std::filesystem::path& plugin, const std::filesystem::path& folder) : host(plugin, folder) {}

  // `realSound`: the plug-in keeps its import of PlaySoundA, and plays through the system.
  bool Load(bool realSound = false);

  // Settings files the plug-in put in place by replacing the old one.
  int Replaces() const;

  void Frame(std::uint32_t milliseconds = 16) {
    host.input.tick += milliseconds;
    host.Frame();
  }
  void Tap(int key) {
    host.input.keys[static_cast<std::size_t>(key)] = true;
    Frame();
    host.input.keys[static_cast<std::size_t>(key)] = false;
    Frame();
  }
  void TapPad(std::uint16_t buttons) {
    host.input.padButtons = buttons;
    Frame();
    host.input.padButtons = 0;
    Frame();
  }
  void TapRightTrigger(std::uint8_t value) {
    host.input.rightTrigger = value;
    Frame();
    host.input.rightTrigger = 0;
    Frame();
  }
  // Into a running car got into standing, in gear 1, then moving at
  // `speed` m/s for one frame.
  std::int32_t DriveAt(float speed) {
    const std::int32_t car = host.game.SpawnVehicle(true);
    host.game.Enter(car);
    Frame();
    host.game.Vehicle(car).velocity = {speed, 0.0F, 0.0F};
    Frame();
    return car;
  }
  bool Drew(const std::string& text) const {
    for (const auto& drawn : host.game.texts) {
      if (drawn.text == text) return true;
    }
    return false;
  }
  bool Played(std::size_t clipSize) const {
    for (const auto& sound : host.frameSounds) {
      if (sound.size == clipSize) return true;
    }
    return false;
  }
  void Finish();

  // A file that replaces Halvane.ini was handed to the disk (_commit) first,
  // after the last replace: otherwise a power cut could leave it empty.
  static void CheckFlushedBeforeReplaced();

  sim::Host host;
};

// How often the player was told that a change could not be saved.
std::ptrdiff_t UnsavedNotices(const Session& session);
// One change, one save: opens the menu with `menuKey` (checking that it opened, when `opening`
// says why it should), switches "Hide Ammo Counter" and closes the menu.
void SwitchAmmoCounterInMenu(Session& session, int menuKey = VK_F2, const char* opening = nullptr);
// The process's committed private bytes.
std::size_t PrivateBytes();

}  // namespace runner
