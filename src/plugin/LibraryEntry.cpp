// The library entry: attach registers the script entry with the host, detach
// unregisters it. On Windows the loader calls it; the substitute host calls
// the same function after loading the library.
#include "host/ScriptHook.h"
#include "plugin/FrameLoop.h"

#include <cstdint>

#if defined(_WIN32)
#define HALVANE_ENTRY_EXPORT
#else
#define HALVANE_ENTRY_EXPORT __attribute__((visibility("default")))
#endif

namespace {
constexpr std::uint32_t ProcessDetach = 0;
constexpr std::uint32_t ProcessAttach = 1;
}  // namespace

extern "C" HALVANE_ENTRY_EXPORT int DllMain(HostModule module, std::uint32_t reason, void*) {
  if (reason == ProcessAttach) scriptRegister(module, FrameLoop);
  if (reason == ProcessDetach) scriptUnregister(module);
  return 1;
}
