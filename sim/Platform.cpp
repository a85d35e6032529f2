// The platform services of the plug-in, answered from the substitute host's
// scripted input and environment: keys, pad, clock, sounds, paths, processes
// and the game's image. The settings file's store is in PlatformFileStore.cpp.
#include "platform/Platform.h"
#include "Allocations.h"
#include "Host.h"
#include "PlatformHost.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace platform {

namespace {
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
  ThrowIfAsked("LibraryFileName");
  if (ActiveHost().environment.libraryLookupFails) return std::nullopt;
  Dl_info info{};
  if (dladdr(addressInLibrary, &info) == 0 || info.dli_fname == nullptr) return std::nullopt;
  return std::string(info.dli_fname);
}

std::optional<std::string> RoamingAppDataFolder() {
  const sim::HostCode hostCode;
  return ActiveHost().environment.roamingAppData;
}

bool ProcessRuns(std::uint32_t processId) {
  const sim::HostCode hostCode;
  if (processId == 0 || processId > static_cast<std::uint32_t>(INT32_MAX)) return false;
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

const char PathSeparator = '/';
const char* const LineBreak = "\n";

namespace {

// A copy of the environment's image in pages of its own, with the pages it
// lists closed to any access: reading one ends the process, as in the game.
struct ProtectedImage {
  std::uint8_t* base = nullptr;
  std::size_t size = 0;
  std::size_t mapped = 0;
};
ProtectedImage protectedImage;

void MapProtectedImage(const sim::Environment& environment) {
  if (protectedImage.base != nullptr) munmap(protectedImage.base, protectedImage.mapped);
  const std::size_t size = environment.mainImage.size();
  const std::size_t mapped = (size + sim::PageSize - 1) / sim::PageSize * sim::PageSize;
  void* memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) std::abort();
  protectedImage = {static_cast<std::uint8_t*>(memory), size, mapped};
  std::memcpy(protectedImage.base, environment.mainImage.data(), size);
  for (std::size_t page : environment.noAccessPages) {
    if ((page + 1) * sim::PageSize <= mapped)
      mprotect(protectedImage.base + page * sim::PageSize, sim::PageSize, PROT_NONE);
  }
}

// The image as the plug-in sees it: the environment's bytes, or their
// protected copy when some pages are closed.
MemoryImage ImageInUse(const sim::Environment& environment) {
  if (environment.noAccessPages.empty()) return {environment.mainImage.data(), environment.mainImage.size()};
  return {protectedImage.base, protectedImage.size};
}

}  // namespace

MemoryImage MainImage() {
  const sim::HostCode hostCode;
  ThrowIfAsked("MainImage");
  const sim::Environment& environment = ActiveHost().environment;
  if (!environment.noAccessPages.empty()) MapProtectedImage(environment);
  return ImageInUse(environment);
}

MemoryRegion RegionAt(const std::uint8_t* address) {
  const sim::HostCode hostCode;
  const sim::Environment& environment = ActiveHost().environment;
  const MemoryImage image = ImageInUse(environment);
  if (address < image.base || address >= image.base + image.size) return {address, 0, false};
  // Runs of pages: each page is readable or not; a region ends where that changes.
  const auto pageOf = [&](const std::uint8_t* at) {
    return static_cast<std::size_t>(at - image.base) / sim::PageSize;
  };
  const auto closed = [&](std::size_t page) {
    return std::find(environment.noAccessPages.begin(), environment.noAccessPages.end(), page) !=
           environment.noAccessPages.end();
  };
  const std::size_t first = pageOf(address);
  const bool readable = !closed(first);
  std::size_t end = first + 1;
  while (end * sim::PageSize < image.size && closed(end) != readable) ++end;
  const std::uint8_t* base = image.base + first * sim::PageSize;
  return {base, std::min(end * sim::PageSize, image.size) - first * sim::PageSize, readable};
}

}  // namespace platform
