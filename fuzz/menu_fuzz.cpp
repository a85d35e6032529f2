// The menu and the gears driven by random frames of input, from one of a few
// settings files a player may have: whatever is pressed, the gear, the rows
// and the capture stay in range, the speed limits stay numbers, and the file
// holds the settings in force.
#include "NullHost.h"
#include "config/Config.h"
#include "config/Settings.h"
#include "input/Input.h"
#include "menu/Menu.h"
#include "platform/Platform.h"
#include "plugin/FrameLoop.h"
#include "vehicle/Gear.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// The keys a frame can hold, one bit each.
constexpr KeyCode Keys[] = {0x71, 0x26, 0x28, 0x25, 0x27, 0x0D, 0x08, '3',
                            '1',  'G',  'T',  'R',  'K',  '7',  0x74, 0x01};

// The settings file the run starts from, chosen by the input's first byte:
// none (the defaults are written), every limit a step from the lowest, every
// limit near the largest float, and a player's own file with a byte-order
// mark, CR LF, comments, unknown keys, other bindings and no speeds.
constexpr const char* StartFiles[] = {
    nullptr,
    "[GearSpeeds]\nGear1=1\nGear2=1.2778\nGear3=1.5556\nGear4=1.8334\n",
    "[Settings]\nHideAmmoHud=1\nGearSystem=0\n[GearSpeeds]\nGear1=3.4e38\nGear2=3.4e38\nGear3=3.4e38\n"
    "Gear4=3.4e38\n",
    "\xEF\xBB\xBF; mine\r\n[Keybindings]\r\nMenu=F5\r\nSafetyToggle=K\r\nEngine=7\r\nHorn=H\r\n",
};

// Frames read from one input. From these starts a capture, the last row of
// a page or a speed at its bound each take well under this many; longer
// inputs reach nothing shorter ones cannot, and only slow the run
// (tools/fuzz.sh keeps libFuzzer to this length too).
constexpr std::size_t MostFrames = 32;
constexpr std::size_t FrameBytes = 4;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The file read back gives the settings in force: every change the menu
// made was saved. Speeds are written to six significant digits.
void CheckFileHoldsSettings() {
  const std::optional<std::string_view> file = null_host::FileContents(SettingsPath);
  Check(file.has_value());
  const ConfigRecord inForce = Config;
  Config = DefaultConfig;
  LoadSettingsText(*file);
  const ConfigRecord read = Config;
  Config = inForce;
  for (std::size_t gear = 0; gear < read.GearSpeeds.size(); ++gear)
    Check(std::fabs(read.GearSpeeds[gear] - inForce.GearSpeeds[gear]) <= 1e-5F * inForce.GearSpeeds[gear]);
  ConfigRecord aligned = read;  // bindings and switches exactly
  aligned.GearSpeeds = inForce.GearSpeeds;
  Check(aligned == inForce);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ResetPluginState();
  null_host::ClearFiles();
  SettingsPath = "Halvane.ini";
  if (const char* start = StartFiles[data[0] % std::size(StartFiles)]) {
    if (std::FILE* file = platform::OpenFile(SettingsPath, "wb")) {
      std::fputs(start, file);
      std::fclose(file);
    }
  }
  LoadSettings();  // with no file the defaults are written; saving is open
  null_host::SetAnswer(sim::native::EntityExists, null_host::IntAnswer(1));   // the character exists
  null_host::SetAnswer(sim::native::EngineRunning, null_host::IntAnswer(1));  // engines run
  null_host::SetAnswer(sim::native::VehicleOfCharacter, null_host::IntAnswer(0x2001));
  null_host::SetAnswer(sim::native::VehicleSpeed, null_host::FloatAnswer(40.0F));

  size = std::min(size, 1 + MostFrames * FrameBytes);
  for (std::size_t at = 1; at + FrameBytes <= size; at += FrameBytes) {
    const unsigned held = data[at] | static_cast<unsigned>(data[at + 1]) << 8;
    for (std::size_t k = 0; k < std::size(Keys); ++k)
      null_host::Keys[static_cast<std::size_t>(Keys[k])] = (held >> k & 1) != 0;
    null_host::PadConnected = (data[at + 2] & 0x80) != 0;
    null_host::PadButtons = static_cast<std::uint16_t>(data[at + 2] << 8 | data[at + 2]);
    null_host::SetAnswer(sim::native::IsInAnyVehicle, null_host::IntAnswer(data[at + 3] & 1));  // in a car
    null_host::Tick += data[at + 3];
    RunFramePass();

    Check(GearState.gear >= 1 && GearState.gear <= 5);
    Check(MenuState.keyRow >= 0 && MenuState.keyRow < KeybindingRowCount);
    Check(MenuState.gearRow >= 1 && MenuState.gearRow <= LimitedGearCount);
    Check(MenuState.capturing ? IsBindingRow(MenuState.captureRow) : MenuState.captureRow == -1);
    for (float speed : Config.GearSpeeds) Check(std::isfinite(speed) && speed >= 1.0F);
  }
  CheckFileHoldsSettings();
  return 0;
}
