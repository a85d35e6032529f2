// Win32 implementation of the platform services: keys, pad and clock, the
// library's own path and the app-data folder, processes, and the game's image.
// The kept clip copies are in Win32ClipCopies.cpp, the settings file's file
// services in Win32FileStore.cpp and Win32FileNames.cpp.
#include "platform/Platform.h"
#include "platform/Win32Paths.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <shlobj.h>
#include <xinput.h>

#include <cstring>
#include <string>
#include <string_view>

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

std::optional<std::string> LibraryFileName(const void* addressInLibrary) {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCSTR>(addressInLibrary), &module);
  if (module == nullptr) return std::nullopt;
  // The whole name, however long: a name cut to the buffer would put the
  // settings one folder up. The result fills the buffer when it was cut.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::nullopt;
    if (length < name.size()) return Utf8(std::wstring_view(name.data(), length));
    if (name.size() > LongestPath) return std::nullopt;
    name.resize(name.size() * 2);
  }
}

std::optional<std::string> RoamingAppDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder) < 0) return std::nullopt;
  folder[MAX_PATH - 1] = L'\0';
  return Utf8(folder);
}

// A process that has ended can still be opened while a handle to it is
// open somewhere; its exit code then tells.
bool ProcessRuns(std::uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return !ended;
}

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

const char PathSeparator = '\\';
const char* const LineBreak = "\r\n";

MemoryImage MainImage() {
  MODULEINFO info = {};
  if (!K32GetModuleInformation(GetCurrentProcess(), GetModuleHandleA(nullptr), &info, sizeof info)) {
    return {nullptr, 0};
  }
  return {static_cast<const std::uint8_t*>(info.lpBaseOfDll), info.SizeOfImage};
}

MemoryRegion RegionAt(const std::uint8_t* address) {
  MEMORY_BASIC_INFORMATION region = {};
  if (VirtualQuery(address, &region, sizeof region) == 0) return {address, 0, false};
  constexpr DWORD Readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                             PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const bool readable = region.State == MEM_COMMIT && (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) == 0 &&
                        (region.Protect & Readable) != 0;
  return {static_cast<const std::uint8_t*>(region.BaseAddress), region.RegionSize, readable};
}

}  // namespace platform
