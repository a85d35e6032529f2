// The playground's stand-in ScriptHookV.dll: exports the script host's seven
// functions under their decorated names and passes every call to the program
// that loaded it, which runs the game model (it exports HalvaneSimCallbacks).
// Loaded by any other program (copied into a game folder by mistake), it
// does nothing at all: no script is registered, every native answers zero,
// nothing is written and the program goes on.
#include "host/ScriptHook.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "HostCallbacks.h"

namespace {

std::array<std::uint64_t, 4> zeroResult{};

const HostCallbacks DoNothing = {
    [](HostModule, ScriptEntry) {},
    [](HostModule) {},
    [](std::uint32_t) {},
    [](std::uint64_t) {},
    [](std::uint64_t) {},
    []() {
      zeroResult = {};
      return zeroResult.data();
    },
    [](int) -> std::uint8_t* { return nullptr; },
};

const HostCallbacks* callbacks = nullptr;

const HostCallbacks& Callbacks() {
  if (callbacks == nullptr) {
    const auto get = reinterpret_cast<const HostCallbacks* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "HalvaneSimCallbacks")));
    callbacks = get != nullptr ? get() : &DoNothing;
  }
  return *callbacks;
}

}  // namespace

void scriptRegister(HostModule module, ScriptEntry entry) { Callbacks().scriptRegister(module, entry); }
void scriptUnregister(HostModule module) { Callbacks().scriptUnregister(module); }
void scriptWait(HostMilliseconds duration) { Callbacks().scriptWait(static_cast<std::uint32_t>(duration)); }
void nativeInit(std::uint64_t hash) { Callbacks().nativeInit(hash); }
void nativePush64(std::uint64_t value) { Callbacks().nativePush64(value); }
std::uint64_t* nativeCall() { return Callbacks().nativeCall(); }
std::uint8_t* getScriptHandleBaseAddress(int handle) {
  return Callbacks().getScriptHandleBaseAddress(handle);
}
