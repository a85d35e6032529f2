// The substitute ScriptHookV.dll: exports the script host's seven functions
// under their decorated names and passes every call to the program that
// loaded it, which runs the game model (it exports HalvaneSimCallbacks).
#include "host/ScriptHook.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "HostCallbacks.h"

namespace {

const HostCallbacks* callbacks = nullptr;

const HostCallbacks& Callbacks() {
  if (callbacks == nullptr) {
    const auto get = reinterpret_cast<const HostCallbacks* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "HalvaneSimCallbacks")));
    if (get == nullptr) {
      std::fputs("substitute ScriptHookV.dll: the program does not export HalvaneSimCallbacks\n", stderr);
      std::abort();
    }
    callbacks = get();
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
