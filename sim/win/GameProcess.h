// What a game process offers the plug-in, shared by the Wine runner and the
// playground: the host functions the substitute ScriptHookV.dll forwards to
// (HalvaneSimCallbacks, exported by the program), the limiter store in the
// program's image, and pointing one of the plug-in's imports elsewhere.
#pragma once

#include <windows.h>

#include <cstddef>

// The limiter's store instruction with its field offset, once in this
// program's image, where the plug-in searches for it at start-up.
extern "C" const unsigned char LimiterStoreInImage[14];  // in read-only data
extern "C" const unsigned char LimiterStoreInCode[14];   // in the code
inline constexpr std::size_t LimiterOffset = 0x8CC;

// Points the import of `dll` named `name` (or imported by `ordinal` when
// name is null) at `replacement`; false when the module has no such import.
bool PatchImport(HMODULE module, const char* dll, const char* name, WORD ordinal, void* replacement);
