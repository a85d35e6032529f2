// Any bytes as Halvane.ini: loading never fails, and after one save the
// record and the file stay as they are through further loads and saves.
#include "config/Config.h"
#include "config/Settings.h"
#include "input/KeyNames.h"

#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
  std::string content;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) content.append(chunk, n);
    std::fclose(file);
  }
  return content;
}

bool Same(const ConfigRecord& a, const ConfigRecord& b) {
  for (std::size_t i = 0; i < a.GearSpeeds.size(); ++i) {
    if (!(a.GearSpeeds[i] == b.GearSpeeds[i] ||
          (std::isnan(a.GearSpeeds[i]) && std::isnan(b.GearSpeeds[i])))) {
      return false;
    }
  }
  ConfigRecord aligned = b;  // the limits compared above, the rest field by field
  aligned.GearSpeeds = a.GearSpeeds;
  return a == aligned;
}

void LoadFresh() {
  Config = DefaultConfig;
  LoadSettings();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/halvane-fuzz-" + std::to_string(getpid()) + ".ini";
  SettingsPath = path;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  LoadFresh();
  const ConfigRecord loaded = Config;
  if (loaded.GearSpeeds[4] != 9999.0F) std::abort();  // gear 5 is never loaded

  SaveSettings();
  const std::string saved = ReadAll(path);
  LoadFresh();
  const ConfigRecord reloaded = Config;
  // Bindings and switches come back as they were loaded (every loaded
  // binding has a name); speeds may lose digits beyond the sixth once.
  ConfigRecord bindings = reloaded;
  bindings.GearSpeeds = loaded.GearSpeeds;
  if (!Same(bindings, loaded)) std::abort();

  SaveSettings();
  if (ReadAll(path) != saved) std::abort();
  LoadFresh();
  if (!Same(Config, reloaded)) std::abort();
  return 0;
}
