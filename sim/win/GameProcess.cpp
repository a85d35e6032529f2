#include "GameProcess.h"

#include "Host.h"
#include "HostCallbacks.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" __attribute__((used)) const unsigned char LimiterStoreInImage[14] = {
    0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83, LimiterOffset & 0xFF, LimiterOffset >> 8,
    0x00, 0x00};

// The same store where the game has it: in the image's code, on
// execute-read pages. It comes first in the image, so the start-up scan
// finds this one unless a scenario spoils it.
static_assert(LimiterOffset == 0x8CC);
asm(".text\n"
    ".globl LimiterStoreInCode\n"
    "LimiterStoreInCode:\n"
    ".byte 0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83, 0xCC, 0x08, 0x00, 0x00\n");

namespace {

sim::Host& Active() { return *sim::Host::Active(); }

const HostCallbacks Callbacks = {
    [](HostModule module, ScriptEntry entry) { Active().OnRegister(module, entry); },
    [](HostModule module) { Active().OnUnregister(module); },
    [](std::uint32_t milliseconds) { Active().OnWait(milliseconds); },
    [](std::uint64_t hash) { Active().OnNativeInit(hash); },
    [](std::uint64_t value) { Active().OnNativePush(value); },
    []() { return Active().OnNativeCall(); },
    [](int handle) { return Active().game.ObjectMemory(handle); },
};

}  // namespace

extern "C" __declspec(dllexport) const HostCallbacks* HalvaneSimCallbacks() { return &Callbacks; }

std::filesystem::path ProgramFolder() {
  std::vector<wchar_t> program(MAX_PATH);
  while (GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())) >= program.size() &&
         program.size() < 32768) {
    program.resize(program.size() * 2);
  }
  return std::filesystem::path(program.data()).parent_path();
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

bool LoadStandInHost(std::string& error) {
  const std::filesystem::path file = ProgramFolder() / StandInFolder / L"ScriptHookV.dll";
  if (LoadLibraryW(file.c_str()) != nullptr) return true;
  const DWORD code = GetLastError();
  error = "the playground's stand-in host " + Utf8(file) + " could not be loaded (error " +
          std::to_string(code) + (code == ERROR_MOD_NOT_FOUND ? ": the file is missing" : "") + ")";
  return false;
}

// Points the import of `dll` named `name` (or imported by `ordinal` when
// name is null) at `replacement`; false when the module has no such import.
bool PatchImport(HMODULE module, const char* dll, const char* name, WORD ordinal, void* replacement) {
  auto* base = reinterpret_cast<std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return false;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    const auto* lookup = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + entry->OriginalFirstThunk);
    auto* address = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + entry->FirstThunk);
    for (; lookup->u1.AddressOfData != 0; ++lookup, ++address) {
      bool match;
      if (IMAGE_SNAP_BY_ORDINAL64(lookup->u1.Ordinal)) {
        match = name == nullptr && IMAGE_ORDINAL64(lookup->u1.Ordinal) == ordinal;
      } else {
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData);
        match = name != nullptr && std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0;
      }
      if (!match) continue;
      DWORD protection;
      VirtualProtect(&address->u1.Function, sizeof address->u1.Function, PAGE_READWRITE, &protection);
      address->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
      VirtualProtect(&address->u1.Function, sizeof address->u1.Function, protection, &protection);
      return true;
    }
  }
  return false;
}
