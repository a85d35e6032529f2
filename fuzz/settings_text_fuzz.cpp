// Any bytes as the content of Halvane.ini, parsed from memory by the same
// code that reads the file's lines: the record stays one the plug-in can
// use. The file round trip is fuzz/settings_fuzz.cpp.
#include "config/Config.h"
#include "config/Settings.h"
#include "input/KeyNames.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Config = DefaultConfig;
  LoadSettingsText({reinterpret_cast<const char*>(data), size});
  if (Config.GearSpeeds[4] != 9999.0F) std::abort();  // gear 5 is never loaded
  for (int gear = 1; gear <= 4; ++gear) {
    if (!(GearSpeed(gear) > 0.0F)) std::abort();  // never zero, negative or NaN
  }
  for (KeyCode binding : {Config.SafetyToggle, Config.Reload, Config.Menu, Config.Engine, Config.Surrender,
                          Config.GearUp, Config.GearDown}) {
    if (std::string_view(KeyName(binding)) == "?") std::abort();  // every loaded binding has a name
  }
  return 0;
}
