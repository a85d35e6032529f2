// The settings record's life with its file: where Halvane.ini is, the load at
// start-up and the retry when it could not be read, the first file, the
// settings the player set in this run, and the save. The file's store is in
// SettingsStore.cpp.
#include "config/Settings.h"

#include "config/Config.h"
#include "config/Number.h"
#include "config/SettingsStore.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <optional>
#include <string>
#include <string_view>

using settings_store::fileMayBeWritten;
using settings_store::ReadOutcome;
using settings_store::ReadSettingsFile;
using settings_store::RemoveStaleTemporaries;
using settings_store::Save;
using settings_store::Target;

namespace {

constexpr const char* FileName = "Halvane.ini";

// The settings the player set in the menu in this run, in the table's order.
constinit std::array<bool, SettingsTable.size()> setByPlayer = {};

// The file's settings in force, over the defaults, but for every setting
// the player has set in this run, which keeps the player's value. True when
// the player had set any: the file then no longer holds what is in force.
bool TakeFileUnderPlayers(std::string_view text) {
  const ConfigRecord inForce = Config;
  Config = DefaultConfig;
  LoadSettingsText(text);
  fileMayBeWritten = true;
  bool anySet = false;
  for (const SettingEntry& setting : SettingsTable) {
    if (!SetByPlayer(setting)) continue;
    CopySetting(Config, inForce, setting);
    anySet = true;
  }
  return anySet;
}

// No file was found: the settings in force are written as the first one. A
// file that is there after all (a read that failed as if there were none,
// or one put there meanwhile) is read instead, and never written over.
// True as for TakeFileUnderPlayers.
bool WriteFirstFile() {
  fileMayBeWritten = true;
  if (Save(Target::New)) return false;
  std::string text;
  switch (ReadSettingsFile(text)) {
    case ReadOutcome::Read:
      return TakeFileUnderPlayers(text);
    case ReadOutcome::Missing:
      return false;
    case ReadOutcome::Unreadable:
      fileMayBeWritten = false;
      return false;
  }
  return false;
}

}  // namespace

std::string SettingsPath;

void ResolveSettingsPath() {
  if (const auto library = platform::LibraryFileName(reinterpret_cast<const void*>(&ResolveSettingsPath))) {
    const std::size_t separator = library->find_last_of("\\/");
    SettingsPath = separator == std::string::npos ? FileName : library->substr(0, separator + 1) + FileName;
  } else if (const auto folder = platform::RoamingAppDataFolder()) {
    SettingsPath = *folder + platform::PathSeparator + FileName;
  } else {
    SettingsPath = FileName;
  }
}

void LoadSettings() {
  // No path was ever found (start-up ended before it): there is no file to
  // read, and none may be written in whatever folder is current.
  if (SettingsPath.empty()) return;
  RemoveStaleTemporaries();
  std::string text;
  switch (ReadSettingsFile(text)) {
    case ReadOutcome::Read:
      TakeFileUnderPlayers(text);
      return;
    case ReadOutcome::Missing:
      WriteFirstFile();
      return;
    case ReadOutcome::Unreadable:
      // Locked by another program, protected, or far too large: it stays as
      // it is, and the settings in force hold for this run.
      fileMayBeWritten = false;
      return;
  }
}

void ResetSettingsFile() {
  SettingsPath.clear();
  fileMayBeWritten = false;
  setByPlayer = {};
}

bool RetrySettingsLoad() {
  if (fileMayBeWritten || SettingsPath.empty()) return false;
  std::string text;
  switch (ReadSettingsFile(text)) {
    case ReadOutcome::Read:
      return TakeFileUnderPlayers(text);
    case ReadOutcome::Missing:
      return WriteFirstFile();
    case ReadOutcome::Unreadable:
      return false;
  }
  return false;
}

void NoteSetByPlayer(const SettingEntry& setting) {
  setByPlayer[static_cast<std::size_t>(&setting - SettingsTable.data())] = true;
}

bool SetByPlayer(const SettingEntry& setting) {
  return setByPlayer[static_cast<std::size_t>(&setting - SettingsTable.data())];
}

bool SaveSettings() { return Save(Target::Existing); }
