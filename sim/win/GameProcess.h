// What a game process offers the plug-in, shared by the Wine runner and the
// playground: the host functions the substitute ScriptHookV.dll forwards to
// (HalvaneSimCallbacks, exported by the program), the limiter store in the
// program's image, and pointing one of the plug-in's imports elsewhere.
#pragma once

#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <string>

// The limiter's store instruction with its field offset, once in this
// program's image, where the plug-in searches for it at start-up.
extern "C" const unsigned char LimiterStoreInImage[14];  // in read-only data
extern "C" const unsigned char LimiterStoreInCode[14];   // in the code
inline constexpr std::size_t LimiterOffset = 0x8CC;

// The folder this program was started from, its whole path however long.
std::filesystem::path ProgramFolder();
// A path or text in UTF-8, for messages.
std::string Utf8(const std::filesystem::path& path);

// The folder beside the program that holds the stand-in ScriptHookV.dll.
// Not beside the program itself: a player who unpacks the playground into
// the game folder must never be asked to replace the real script host.
inline constexpr const wchar_t* StandInFolder = L"stand-in";

// Loads the stand-in ScriptHookV.dll from StandInFolder by its full path,
// before any plug-in: the plug-in's import of ScriptHookV.dll then binds to
// it, as to a library already loaded under that name. False, with the
// whole reason in `error`, when it cannot be loaded.
bool LoadStandInHost(std::string& error);

// Points the import of `dll` named `name` (or imported by `ordinal` when
// name is null) at `replacement`; false when the module has no such import.
bool PatchImport(HMODULE module, const char* dll, const char* name, WORD ordinal, void* replacement);
