// Win32 implementation of the platform services.
#include "platform/Platform.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mmsystem.h>
#include <psapi.h>
#include <shlobj.h>
#include <xinput.h>

#include <cstring>

// Imported by ordinal 2 from XINPUT1_4.dll (see xinput1_4.def).
extern "C" DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state);

namespace platform {

static_assert(sizeof(PadSample) == sizeof(XINPUT_STATE));
static_assert(offsetof(PadSample, Gamepad) == offsetof(XINPUT_STATE, Gamepad));

std::int16_t AsyncKeyState(int virtualKey) { return GetAsyncKeyState(virtualKey); }

std::uint32_t ReadPad(PadSample& sample) {
  XINPUT_STATE state;
  std::memcpy(&state, &sample, sizeof state);
  const DWORD result = XInputGetState(0, &state);
  std::memcpy(&sample, &state, sizeof state);
  return result;
}

std::uint32_t TickCount() { return GetTickCount(); }

void PlayWave(const std::uint8_t* image, std::size_t) {
  PlaySoundA(reinterpret_cast<LPCSTR>(image), nullptr, SND_ASYNC | SND_MEMORY);
}

std::optional<std::string> LibraryFileName(const void* addressInLibrary) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCSTR>(addressInLibrary), &module);
  if (module == nullptr) return std::nullopt;
  char name[MAX_PATH] = {};
  GetModuleFileNameA(module, name, MAX_PATH);
  name[MAX_PATH - 1] = '\0';
  return std::string(name);
}

std::optional<std::string> RoamingAppDataFolder() {
  char folder[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder) < 0) return std::nullopt;
  folder[MAX_PATH - 1] = '\0';
  return std::string(folder);
}

bool MoveOver(const char* source, const char* target) {
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

const char PathSeparator = '\\';

MemoryImage MainImage() {
  MODULEINFO info = {};
  if (!K32GetModuleInformation(GetCurrentProcess(), GetModuleHandleA(nullptr), &info, sizeof info)) {
    return {nullptr, 0};
  }
  return {static_cast<const std::uint8_t*>(info.lpBaseOfDll), info.SizeOfImage};
}

}  // namespace platform
