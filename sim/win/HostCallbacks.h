// What the substitute ScriptHookV.dll forwards each host function to.
#pragma once

#include "host/ScriptHook.h"

#include <cstdint>

struct HostCallbacks {
  void (*scriptRegister)(HostModule module, ScriptEntry entry);
  void (*scriptUnregister)(HostModule module);
  void (*scriptWait)(std::uint32_t milliseconds);
  void (*nativeInit)(std::uint64_t hash);
  void (*nativePush64)(std::uint64_t value);
  std::uint64_t* (*nativeCall)();
  std::uint8_t* (*getScriptHandleBaseAddress)(int handle);
};
