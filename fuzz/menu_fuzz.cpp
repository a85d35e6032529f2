// The menu and the gears driven by random frames of input: whatever is
// pressed, the gear, the rows and the capture stay in range and the speed
// limits stay numbers.
#include "NullHost.h"
#include "config/Config.h"
#include "config/Settings.h"
#include "input/Input.h"
#include "menu/Menu.h"
#include "plugin/FrameLoop.h"
#include "vehicle/Gear.h"

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The keys a frame can hold, one bit each.
constexpr KeyCode Keys[] = {0x71, 0x26, 0x28, 0x25, 0x27, 0x0D, 0x08, '3',
                            '1',  'G',  'T',  'R',  'K',  '7',  0x74, 0x01};

// Frames read from one input. A capture, the last row of a page or a speed
// at its bound each take well under this many; longer inputs reach nothing
// shorter ones cannot, and only slow the run (tools/fuzz.sh keeps libFuzzer
// to this length too).
constexpr std::size_t MostFrames = 64;
constexpr std::size_t FrameBytes = 4;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The real save path, on memory-backed storage where there is some: every
  // menu change writes, flushes and replaces the file, and a disk would
  // hold the target to about a thousand inputs a second.
  static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                  "/halvane-fuzz-menu-" + std::to_string(getpid()) + ".ini";
  ResetPluginState();
  SettingsPath = path;
  std::remove(path.c_str());
  LoadSettings();  // no file: the defaults are written, and saving is open
  null_host::SetAnswer(sim::native::EntityExists, null_host::IntAnswer(1));   // the character exists
  null_host::SetAnswer(sim::native::EngineRunning, null_host::IntAnswer(1));  // engines run
  null_host::SetAnswer(sim::native::VehicleOfCharacter, null_host::IntAnswer(0x2001));
  null_host::SetAnswer(sim::native::VehicleSpeed, null_host::FloatAnswer(40.0F));

  size = std::min(size, MostFrames * FrameBytes);
  for (std::size_t at = 0; at + FrameBytes <= size; at += FrameBytes) {
    const unsigned held = data[at] | static_cast<unsigned>(data[at + 1]) << 8;
    for (std::size_t k = 0; k < std::size(Keys); ++k)
      null_host::Keys[static_cast<std::size_t>(Keys[k])] = (held >> k & 1) != 0;
    null_host::PadConnected = (data[at + 2] & 0x80) != 0;
    null_host::PadButtons = static_cast<std::uint16_t>(data[at + 2] << 8 | data[at + 2]);
    null_host::SetAnswer(sim::native::IsInAnyVehicle, null_host::IntAnswer(data[at + 3] & 1));  // in a car
    null_host::Tick += data[at + 3];
    RunFramePass();

    Check(GearState.gear >= 1 && GearState.gear <= 5);
    Check(MenuState.keyRow >= 0 && MenuState.keyRow <= 8);
    Check(MenuState.gearRow >= 1 && MenuState.gearRow <= 4);
    Check(MenuState.capturing ? MenuState.captureRow >= 0 && MenuState.captureRow <= 5
                              : MenuState.captureRow == -1);
    for (float speed : Config.GearSpeeds) Check(std::isfinite(speed) && speed >= 1.0F);
  }
  return 0;
}
