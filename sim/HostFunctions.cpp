// The seven host functions, as the plug-in imports them on Linux.
#include "Host.h"

#include <cstdio>
#include <cstdlib>

namespace {
sim::Host& ActiveHost() {
  sim::Host* host = sim::Host::Active();
  if (host == nullptr) {
    std::fputs("substitute host: host function called with no host active\n", stderr);
    std::abort();
  }
  return *host;
}
}  // namespace

void scriptRegister(HostModule module, ScriptEntry entry) { ActiveHost().OnRegister(module, entry); }
void scriptUnregister(HostModule module) { ActiveHost().OnUnregister(module); }
void scriptWait(HostMilliseconds duration) { ActiveHost().OnWait(duration); }
void nativeInit(std::uint64_t hash) { ActiveHost().OnNativeInit(hash); }
void nativePush64(std::uint64_t value) { ActiveHost().OnNativePush(value); }
std::uint64_t* nativeCall() { return ActiveHost().OnNativeCall(); }
std::uint8_t* getScriptHandleBaseAddress(int handle) { return ActiveHost().game.ObjectMemory(handle); }
