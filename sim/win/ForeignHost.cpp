// A game that is not the playground, with the playground's stand-in
// ScriptHookV.dll copied into its folder by mistake: loads that DLL and the
// plug-in beside it, as the game's ASI loader would, calls every host
// function and checks that the stand-in does nothing and lets the program
// go on (it must never end the game).
//   halvane_foreign_host.exe <folder holding ScriptHookV.dll and Halvane.asi>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
  if (!condition) {
    std::printf("foreign host: FAILED: %s\n", what);
    ++failures;
  }
}

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: halvane_foreign_host <game folder>\n", stderr);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  SetDllDirectoryW(folder.c_str());
  HMODULE host = LoadLibraryW((folder / L"ScriptHookV.dll").c_str());
  Expect(host != nullptr, "the stand-in does not load");
  if (host == nullptr) return 1;

  // The plug-in registers its script with the stand-in, which drops it.
  HMODULE plugin = LoadLibraryW((folder / L"Halvane.asi").c_str());
  Expect(plugin != nullptr, "the plug-in does not load beside the stand-in");

  using Entry = void (*)();
  const auto scriptRegister =
      Export<void (*)(HMODULE, Entry)>(host, "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z");
  const auto scriptUnregister = Export<void (*)(HMODULE)>(host, "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z");
  const auto scriptWait = Export<void (*)(DWORD)>(host, "?scriptWait@@YAXK@Z");
  const auto nativeInit = Export<void (*)(std::uint64_t)>(host, "?nativeInit@@YAX_K@Z");
  const auto nativePush64 = Export<void (*)(std::uint64_t)>(host, "?nativePush64@@YAX_K@Z");
  const auto nativeCall = Export<std::uint64_t* (*)()>(host, "?nativeCall@@YAPEA_KXZ");
  const auto handleBase = Export<std::uint8_t* (*)(int)>(host, "?getScriptHandleBaseAddress@@YAPEAEH@Z");
  Expect(scriptRegister && scriptUnregister && scriptWait && nativeInit && nativePush64 && nativeCall &&
             handleBase,
         "the stand-in lacks one of the host's seven functions");
  if (failures != 0) return 1;

  static bool entered = false;
  scriptRegister(host, [] { entered = true; });
  scriptWait(0);
  nativeInit(0x4F8644AF03D0E0D6);  // any native: the answer is zero
  nativePush64(7);
  const std::uint64_t* result = nativeCall();
  Expect(result != nullptr && result[0] == 0 && result[1] == 0 && result[2] == 0,
         "a native answers other than zero");
  Expect(handleBase(1) == nullptr, "an object's memory is handed out");
  scriptUnregister(host);
  Expect(!entered, "a registered script was run");

  if (plugin != nullptr) FreeLibrary(plugin);
  FreeLibrary(host);
  std::printf("foreign host: %s\n",
              failures == 0 ? "the stand-in did nothing and the game went on" : "FAILED");
  return failures == 0 ? 0 : 1;
}
