#include "config/Settings.h"

#include "config/Config.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr const char* FileName = "Halvane.ini";

struct BindingKey {
  std::string_view key;
  KeyCode ConfigRecord::*field;
};

// In the order the file lists them.
constexpr BindingKey BindingKeys[] = {
    {"SafetyToggle", &ConfigRecord::SafetyToggle},
    {"Reload", &ConfigRecord::Reload},
    {"Menu", &ConfigRecord::Menu},
    {"Engine", &ConfigRecord::Engine},
    {"Surrender", &ConfigRecord::Surrender},
    {"GearUp", &ConfigRecord::GearUp},
    {"GearDown", &ConfigRecord::GearDown},
};

constexpr std::string_view GearKeys[] = {"Gear1", "Gear2", "Gear3", "Gear4"};

// The standard string-to-float conversion: leading white space skipped, the
// longest number prefix taken, the rest ignored. A value without a number,
// or one outside the float range, changes nothing.
void LoadSpeed(const std::string& value, float& limit) {
  const char* start = value.c_str();
  char* end = nullptr;
  errno = 0;
  const float number = std::strtof(start, &end);
  if (end == start || errno == ERANGE) return;
  limit = number;
}

void LoadLine(const std::string& line) {
  if (line.empty() || line[0] == ';' || line[0] == '[') return;
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  const std::string_view key(line.data(), equals);
  const std::string value = line.substr(equals + 1);

  for (int gear = 1; gear <= 4; ++gear) {
    if (key == GearKeys[gear - 1]) return LoadSpeed(value, GearSpeed(gear));
  }
  if (key == "GearSystem") {
    Config.GearSystem = value == "1";
    return;
  }
  if (key == "HideAmmoHud") {
    Config.HideAmmoHud = value == "1";
    return;
  }
  const KeyCode code = KeyCodeFromName(value);
  if (code == -1) return;
  for (const BindingKey& binding : BindingKeys) {
    if (key == binding.key) Config.*binding.field = code;
  }
}

// The file is read and written with the C library's streams in text mode:
// C++ file streams would set up locale state that a DLL cannot give back when
// it is unloaded.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// One line without its line feed, however long; false at the end of the file.
bool ReadLine(std::FILE* file, std::string& line) {
  line.clear();
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, file) != nullptr) {
    line += chunk;
    if (!line.empty() && line.back() == '\n') {
      line.pop_back();
      return true;
    }
  }
  return !line.empty();
}

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

bool WriteSettings(std::FILE* file) {
  bool written = std::fputs("[Keybindings]\n", file) >= 0;
  for (const BindingKey& binding : BindingKeys) {
    written &= std::fprintf(file, "%.*s=%s\n", static_cast<int>(binding.key.size()), binding.key.data(),
                            KeyName(Config.*binding.field)) >= 0;
  }
  written &= std::fprintf(file, "[Settings]\nHideAmmoHud=%c\nGearSystem=%c\n[GearSpeeds]\n",
                          Config.HideAmmoHud ? '1' : '0', Config.GearSystem ? '1' : '0') >= 0;
  for (int gear = 1; gear <= 4; ++gear) {
    written &= std::fprintf(file, "Gear%d=%s\n", gear, SpeedText(GearSpeed(gear)).c_str()) >= 0;
  }
  return written;
}

}  // namespace

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
  const File file(std::fopen(SettingsPath.c_str(), "r"));
  if (file == nullptr) {
    SaveSettings();
    return;
  }
  std::string line;
  while (ReadLine(file.get(), line)) LoadLine(line);
}

// The new content goes to a temporary file beside the settings file, which
// then replaces the old one in one step: a crash in the middle of a save
// leaves the old file whole, and a save that fails leaves no trace.
void SaveSettings() {
  const std::string temporary = SettingsPath + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  if (file == nullptr) return;
  const bool written = WriteSettings(file);
  if (std::fclose(file) != 0 || !written || !platform::MoveOver(temporary.c_str(), SettingsPath.c_str())) {
    std::remove(temporary.c_str());
  }
}
