#include "config/Settings.h"

#include "config/Config.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <locale>
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
    {"SafetyToggle", &ConfigRecord::SafetyToggle}, {"Reload", &ConfigRecord::Reload},
    {"Menu", &ConfigRecord::Menu},                 {"Engine", &ConfigRecord::Engine},
    {"Surrender", &ConfigRecord::Surrender},       {"GearUp", &ConfigRecord::GearUp},
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
  std::ifstream file(SettingsPath);
  if (!file.is_open()) {
    SaveSettings();
    return;
  }
  std::string line;
  while (std::getline(file, line)) LoadLine(line);
}

// The new content goes to a temporary file beside the settings file, which
// then replaces the old one in one step: a crash in the middle of a save
// leaves the old file whole, and a save that fails leaves no trace.
void SaveSettings() {
  const std::string temporary = SettingsPath + ".tmp";
  {
    std::ofstream file(temporary, std::ios::out | std::ios::trunc);
    if (!file.is_open()) return;
    file.imbue(std::locale::classic());  // a point as the decimal separator, whatever the game set
    file << "[Keybindings]\n";
    for (const BindingKey& binding : BindingKeys) file << binding.key << '=' << KeyName(Config.*binding.field) << '\n';
    file << "[Settings]\n";
    file << "HideAmmoHud=" << (Config.HideAmmoHud ? '1' : '0') << '\n';
    file << "GearSystem=" << (Config.GearSystem ? '1' : '0') << '\n';
    file << "[GearSpeeds]\n";
    for (int gear = 1; gear <= 4; ++gear) file << GearKeys[gear - 1] << '=' << double{GearSpeed(gear)} << '\n';
    file.close();
    if (file.fail()) {
      std::remove(temporary.c_str());
      return;
    }
  }
  if (!platform::MoveOver(temporary.c_str(), SettingsPath.c_str())) std::remove(temporary.c_str());
}
