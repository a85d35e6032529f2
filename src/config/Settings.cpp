#include "config/Settings.h"

#include "config/Config.h"
#include "config/Number.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* FileName = "Halvane.ini";

// A speed limit must be a positive number: nothing, NaN, zero or a negative
// value would flip or pin the car, and leaves the limit as it was. Numbers
// outside the float range change nothing either; infinity means no limit.
void LoadSpeed(std::string_view value, float& limit) {
  const std::optional<float> number = ReadFloat(value);
  if (number && *number > 0.0F) limit = *number;
}

// Keys and values are compared byte for byte; a NUL is a byte like any other.
void LoadLine(std::string_view line) {
  if (line.empty() || line[0] == ';' || line[0] == '[') return;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  for (const SettingEntry& setting : SettingsTable) {
    if (key != setting.fileKey) continue;
    switch (setting.kind) {
      case SettingKind::Binding:
        if (const KeyCode code = KeyCodeFromName(value); code != -1) Config.*setting.binding = code;
        return;
      case SettingKind::Switch:
        Config.*setting.flag = value == "1";
        return;
      case SettingKind::Speed:
        LoadSpeed(value, GearSpeed(setting.gear));
        return;
    }
  }
}

// The file is read and written with the C library's streams in text mode:
// C++ file streams would set up locale state that a DLL cannot give back when
// it is unloaded.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// General notation with six significant digits, as a default output stream
// writes a number, with a point for the decimal separator whatever the
// locale of the C library says.
std::string SpeedText(float speed) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(speed));
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  return text;
}

// A setting's value as the file writes it.
std::string ValueText(const SettingEntry& setting) {
  switch (setting.kind) {
    case SettingKind::Binding:
      return KeyName(Config.*setting.binding);
    case SettingKind::Switch:
      return Config.*setting.flag ? "1" : "0";
    case SettingKind::Speed:
      return SpeedText(GearSpeed(setting.gear));
  }
  return "";
}

bool WriteSettings(std::FILE* file) {
  bool written = true;
  const SettingEntry* previous = nullptr;
  for (const SettingEntry& setting : SettingsTable) {
    if (previous == nullptr || previous->kind != setting.kind) {
      written &= std::fprintf(file, "%s\n", SectionOf(setting.kind)) >= 0;
    }
    previous = &setting;
    written &= std::fprintf(file, "%.*s=%s\n", static_cast<int>(setting.fileKey.size()),
                            setting.fileKey.data(), ValueText(setting).c_str()) >= 0;
  }
  return written;
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

void LoadSettingsText(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    LoadLine(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

void LoadSettings() {
  const File file(platform::OpenFile(SettingsPath, "r"));
  if (file == nullptr) {
    // Only a missing file is made afresh: one that is there but cannot be
    // read (locked by another program, protected by the player) stays as it
    // is, and the defaults hold for this run.
    if (errno == ENOENT) SaveSettings();
    return;
  }
  std::string text;
  char chunk[4096];
  for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
    text.append(chunk, read);
  LoadSettingsText(text);
}

// The new content goes to a temporary file beside the settings file, which
// then replaces the old one in one step: a crash in the middle of a save
// leaves the old file whole. Where no temporary can be made there (a folder
// the player cannot write to) or the replace is refused (another program
// holds the file open), the file is written in place, as it can still be.
// A temporary that the disk would not take whole is dropped and the old
// file kept.
void SaveSettings() {
  const std::string temporary = SettingsPath + ".tmp";
  if (std::FILE* file = platform::OpenFile(temporary, "w")) {
    const bool written = WriteSettings(file);
    const bool closed = std::fclose(file) == 0;
    if (written && closed && platform::MoveOver(temporary, SettingsPath)) return;
    platform::RemoveFile(temporary);
    if (!written || !closed) return;
  }
  if (std::FILE* file = platform::OpenFile(SettingsPath, "w")) {
    WriteSettings(file);
    std::fclose(file);
  }
}
