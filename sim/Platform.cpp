// The platform services of the plug-in, answered from the substitute host's
// scripted input and environment.
#include "platform/Platform.h"
#include "Allocations.h"
#include "Host.h"

#include <dlfcn.h>

#include <cstdio>

namespace platform {

namespace {
sim::Host& ActiveHost() { return *sim::Host::Active(); }
constexpr std::uint32_t DeviceNotConnected = 1167;
}  // namespace

std::int16_t AsyncKeyState(int virtualKey) {
  const sim::HostCode hostCode;
  if (virtualKey < 0 || virtualKey > 255) return 0;
  return ActiveHost().input.keys[static_cast<std::size_t>(virtualKey)] ? std::int16_t{-0x8000}
                                                                       : std::int16_t{0};
}

std::uint32_t ReadPad(PadSample& sample) {
  const sim::HostCode hostCode;
  sim::Host& host = ActiveHost();
  ++host.padReads;
  if (!host.input.padConnected) return DeviceNotConnected;
  ++sample.dwPacketNumber;
  sample.Gamepad.wButtons = host.input.padButtons;
  sample.Gamepad.bLeftTrigger = host.input.leftTrigger;
  sample.Gamepad.bRightTrigger = host.input.rightTrigger;
  return 0;
}

std::uint32_t TickCount() { return ActiveHost().input.tick; }

void PlayWave(const std::uint8_t* image, std::size_t size) {
  const sim::HostCode hostCode;
  ActiveHost().frameSounds.push_back({image, size});
}

std::optional<std::string> LibraryFileName(const void* addressInLibrary) {
  const sim::HostCode hostCode;
  if (ActiveHost().environment.libraryLookupFails) return std::nullopt;
  Dl_info info{};
  if (dladdr(addressInLibrary, &info) == 0 || info.dli_fname == nullptr) return std::nullopt;
  return std::string(info.dli_fname);
}

std::optional<std::string> RoamingAppDataFolder() {
  const sim::HostCode hostCode;
  return ActiveHost().environment.roamingAppData;
}

bool MoveOver(const char* source, const char* target) {
  const sim::HostCode hostCode;
  if (ActiveHost().environment.replaceFails) return false;
  return std::rename(source, target) == 0;
}

const char PathSeparator = '/';

MemoryImage MainImage() {
  const std::vector<std::uint8_t>& image = ActiveHost().environment.mainImage;
  return {image.data(), image.size()};
}

}  // namespace platform
