// What F1 lists: the playground's own keys, and Halvane's bindings as the
// plug-in reads them from its settings file.
#include "PlaygroundSession.h"

#include "config/Config.h"
#include "input/KeyNames.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace playground {

const std::vector<std::string> PlaygroundKeyLines = {
    "PLAYGROUND KEYS (F1 hides this)",
    "Left mouse    fire (the game's attack)",
    "R             the game's reload",
    "W / S         accelerate / brake in a car",
    "F             get into the car, or out",
    "Shift         sprint;  W A S D  lower raised hands",
    "Q / E         previous / next weapon",
    "Page Up/Down  wanted level up / down",
    "Home          reload Halvane.asi from disk",
    "Esc           quit",
    "",
};

std::vector<std::string> BindingLines(const std::optional<std::string>& settings) {
  ConfigRecord bindings = DefaultConfig;
  const std::pair<const char*, KeyCode*> keys[] = {{"SafetyToggle", &bindings.SafetyToggle},
                                                   {"Reload", &bindings.Reload},
                                                   {"Menu", &bindings.Menu},
                                                   {"Engine", &bindings.Engine},
                                                   {"Surrender", &bindings.Surrender},
                                                   {"GearUp", &bindings.GearUp},
                                                   {"GearDown", &bindings.GearDown}};
  std::istringstream file(settings.value_or(""));
  const bool fromFile = settings.has_value();
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
  return {fromFile ? "HALVANE (in force: Halvane.ini as last read or saved)"
                   : "HALVANE (defaults: no Halvane.ini read)",
          bound("Safety", bindings.SafetyToggle),
          bound("Reload", bindings.Reload),
          bound("Engine", bindings.Engine),
          bound("Gear up/down", bindings.GearUp) + " / " + KeyName(bindings.GearDown),
          bound("Surrender", bindings.Surrender),
          bound("Menu", bindings.Menu),
          "Ctrl          walking pace (fixed)"};
}

}  // namespace playground
