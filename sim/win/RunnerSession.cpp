// The Wine runner's session: scripted input, the file calls noted, and the checks.
#include "RunnerSession.h"

#include "DefaultSettings.h"
#include "feedback/Sound.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace runner {

sim::Host& Active() { return *sim::Host::Active(); }

int failures = 0;
DWORD padSlot = 0;
DWORD soundFlags = 0;
std::vector<BeforeCut> beforeCuts;
std::vector<std::string> afterWrites;
bool writesWatched = false;
std::filesystem::path watchedSettingsFile;
std::function<void(const std::filesystem::path& target)> beforeMove;
std::function<void(std::uint64_t file)> afterCommit;
int replaceFileCalls = 0;

namespace {

// ---- Scripted input: the plug-in's imports are pointed here.

SHORT WINAPI ScriptedKeyState(int key) {
  if (key < 0 || key > 255) return 0;
  return Active().input.keys[static_cast<std::size_t>(key)] ? static_cast<SHORT>(0x8000) : 0;
}

DWORD WINAPI ScriptedPad(DWORD index, XINPUT_STATE* state) {
  sim::Host& host = Active();
  ++host.padReads;
  if (index != padSlot || !host.input.padConnected) return ERROR_DEVICE_NOT_CONNECTED;
  ++state->dwPacketNumber;
  state->Gamepad.wButtons = host.input.padButtons;
  state->Gamepad.bLeftTrigger = host.input.leftTrigger;
  state->Gamepad.bRightTrigger = host.input.rightTrigger;
  return ERROR_SUCCESS;
}

DWORD WINAPI ScriptedTickCount() { return Active().input.tick; }

// Whether all of [at, at + size) can be read.
bool Readable(const std::uint8_t* at, std::size_t size) {
  constexpr DWORD ReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                        PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const std::uint8_t* end = at + size;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(at, &region, sizeof region) != sizeof region || region.State != MEM_COMMIT ||
        (region.Protect & ReadableProtections) == 0 || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
      return false;
    }
    at = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// The plug-in's clip that `image` holds whole, in readable memory; null for
// anything else, which PlaySoundA would read on its own thread and perhaps
// end the game with.
const std::span<const std::uint8_t>* ClipAt(const std::uint8_t* image) {
  for (const auto* clip : {&DryFireClip, &SafetySwitchClip, &GearShiftClip}) {
    if (Readable(image, clip->size()) && std::memcmp(image, clip->data(), clip->size()) == 0) return clip;
  }
  return nullptr;
}

// Whether `address` lies in the loaded Halvane.asi, which an unload frees.
bool InPlugin(const void* address) {
  MODULEINFO module{};
  if (!GetModuleInformation(GetCurrentProcess(), reinterpret_cast<HMODULE>(Active().Module()), &module,
                            sizeof module)) {
    return false;
  }
  const auto* base = static_cast<const std::uint8_t*>(module.lpBaseOfDll);
  const auto* at = static_cast<const std::uint8_t*>(address);
  return at >= base && at < base + module.SizeOfImage;
}

BOOL WINAPI ScriptedPlaySound(LPCSTR sound, HMODULE, DWORD flags) {
  soundFlags = flags;
  const auto* image = reinterpret_cast<const std::uint8_t*>(sound);
  const std::span<const std::uint8_t>* clip = ClipAt(image);
  Check(clip != nullptr, "PlaySoundA is given readable memory that holds one of the plug-in's clips whole");
  if (clip == nullptr) return FALSE;
  Check(!InPlugin(image),
        "a clip plays from a copy that outlives the library, never from Halvane.asi's image");
  // Nor from a view of a section, which whoever maps it can unmap or rewrite.
  MEMORY_BASIC_INFORMATION region{};
  Check(VirtualQuery(image, &region, sizeof region) == sizeof region && region.Type == MEM_PRIVATE,
        "a clip plays from the process's own memory, never from a section's view");
  Active().frameSounds.push_back({image, clip->size()});
  return TRUE;
}

// ---- The settings file's way to the disk: the plug-in's imports of _commit
// and MoveFileExW are pointed here, and each call that succeeds is noted with
// the file it was about, in order.

struct FileEvent {
  enum class Kind { Flush, Replace } kind;
  std::uint64_t file;  // the file's index: one file under any name
};
std::vector<FileEvent> fileEvents;

std::uint64_t FileIndexOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &information)) return 0;
  return static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
}

// Which file a name leads to now: a replace gives the name another.
std::uint64_t FileIndex(const wchar_t* path) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  const std::uint64_t index = FileIndexOf(file);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return index;
}

// The plug-in's C runtime, the one whose descriptors it flushes.
template <typename Function>
Function RuntimeFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

int __cdecl RecordedCommit(int descriptor) {
  static const auto commit = RuntimeFunction<int(__cdecl*)(int)>("_commit");
  static const auto handleOf = RuntimeFunction<intptr_t(__cdecl*)(int)>("_get_osfhandle");
  const int result = commit(descriptor);
  if (result == 0) {
    const std::uint64_t file = FileIndexOf(reinterpret_cast<HANDLE>(handleOf(descriptor)));
    fileEvents.push_back({FileEvent::Kind::Flush, file});
    if (afterCommit) afterCommit(file);
  }
  return result;
}

BOOL WINAPI RecordedMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (beforeMove) beforeMove(to);
  const std::uint64_t file = FileIndex(from);
  const BOOL moved = MoveFileExW(from, to, flags);
  if (moved) fileEvents.push_back({FileEvent::Kind::Replace, file});
  return moved;
}

BOOL WINAPI RecordedReplaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                                LPVOID exclude, LPVOID reserved) {
  ++replaceFileCalls;
  if (beforeMove) beforeMove(replaced);
  const std::uint64_t file = FileIndex(replacement);
  const BOOL moved = ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
  if (moved) fileEvents.push_back({FileEvent::Kind::Replace, file});
  return moved;
}

BOOL WINAPI RecordedWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written,
                              LPOVERLAPPED overlapped) {
  const BOOL wrote = WriteFile(file, bytes, size, written, overlapped);
  if (!watchedSettingsFile.empty() && FileIndexOf(file) == FileIndex(watchedSettingsFile.c_str())) {
    afterWrites.push_back(ReadFile(watchedSettingsFile));
  }
  return wrote;
}

BOOL WINAPI RecordedSetEndOfFile(HANDLE file) {
  LARGE_INTEGER length{};
  SetFilePointerEx(file, {}, &length, FILE_CURRENT);
  if (!watchedSettingsFile.empty()) beforeCuts.push_back({ReadFile(watchedSettingsFile), length.QuadPart});
  return SetEndOfFile(file);
}

}  // namespace

std::uint64_t FileIndex(const std::filesystem::path& path) { return FileIndex(path.c_str()); }

std::wstring FinalPath(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  wchar_t final[4096] = {};
  const DWORD length = GetFinalPathNameByHandleW(file, final, 4096, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(file);
  return length > 0 && length < 4096 ? std::wstring(final, length) : std::wstring();
}

// ---- Checks.

void Check(bool condition, const std::string& what) {
  if (condition) return;
  ++failures;
  std::printf("FAILED: %s\n", what.c_str());
}

// Through CreateFileW, which takes a \\?\ path as it stands.
std::filesystem::path Temporary(const std::filesystem::path& folder) {
  return folder / ("Halvane.ini." + std::to_string(GetCurrentProcessId()) + ".tmp");
}

std::string ReadFile(const std::filesystem::path& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string content;
  char chunk[4096];
  for (DWORD read = 0; ::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0;)
    content.append(chunk, read);
  CloseHandle(file);
  return content;
}

// The file the first start writes, with the CR LF line ends of Windows.
const std::string DefaultFile = [] {
  std::string text;
  for (const char c : std::string_view(DefaultSettingsFile)) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}();

// A loaded plug-in with scripted input, as a player would install it.

bool Session::Load(bool realSound) {
  host.Load();
  if (!host.Loaded()) {
    std::string why;
    for (const std::string& error : host.errors) why += " " + error;
    Check(false, "Halvane.asi loads:" + why);
    return false;
  }
  const auto module = reinterpret_cast<HMODULE>(host.Module());
  const bool patched =
      PatchImport(module, "USER32.dll", "GetAsyncKeyState", 0, reinterpret_cast<void*>(&ScriptedKeyState)) &
      PatchImport(module, "XINPUT1_4.dll", nullptr, 2, reinterpret_cast<void*>(&ScriptedPad)) &
      PatchImport(module, "KERNEL32.dll", "GetTickCount", 0, reinterpret_cast<void*>(&ScriptedTickCount)) &
      (realSound ||
       PatchImport(module, "WINMM.dll", "PlaySoundA", 0, reinterpret_cast<void*>(&ScriptedPlaySound)));
  Check(patched,
        "the plug-in imports GetAsyncKeyState, XInputGetState by ordinal 2, GetTickCount and PlaySoundA");
  // Noted, not required: a plug-in that never flushes fails the check of
  // its replaces instead.
  fileEvents.clear();
  PatchImport(module, "msvcrt.dll", "_commit", 0, reinterpret_cast<void*>(&RecordedCommit));
  PatchImport(module, "KERNEL32.dll", "MoveFileExW", 0, reinterpret_cast<void*>(&RecordedMoveFileEx));
  PatchImport(module, "KERNEL32.dll", "ReplaceFileW", 0, reinterpret_cast<void*>(&RecordedReplaceFile));
  beforeCuts.clear();
  PatchImport(module, "KERNEL32.dll", "SetEndOfFile", 0, reinterpret_cast<void*>(&RecordedSetEndOfFile));
  // The C runtime's own writes: each system call that reaches the file.
  afterWrites.clear();
  static const bool runtimeWritesWatched =
      PatchImport(GetModuleHandleA("msvcrt.dll"), "KERNEL32.dll", "WriteFile", 0,
                  reinterpret_cast<void*>(&RecordedWriteFile));
  writesWatched = runtimeWritesWatched;
  return patched;
}

int Session::Replaces() const {
  return static_cast<int>(std::count_if(fileEvents.begin(), fileEvents.end(), [](const FileEvent& e) {
    return e.kind == FileEvent::Kind::Replace;
  }));
}

void Session::Finish() {
  host.Unload();
  for (const std::string& error : host.errors) Check(false, "substitute host: " + error);
  CheckFlushedBeforeReplaced();
}

void Session::CheckFlushedBeforeReplaced() {
  std::vector<std::uint64_t> flushed;
  int replace = 0;
  for (const FileEvent& event : fileEvents) {
    if (event.kind == FileEvent::Kind::Flush) {
      flushed.push_back(event.file);
      continue;
    }
    ++replace;
    Check(event.file != 0 && std::find(flushed.begin(), flushed.end(), event.file) != flushed.end(),
          "replace " + std::to_string(replace) +
              ": the new file is flushed to the disk before it replaces Halvane.ini");
    flushed.clear();
  }
}

std::ptrdiff_t UnsavedNotices(const Session& session) {
  constexpr const char* UnsavedNotice = "Halvane.ini could not be saved: changes last until the game closes";
  const auto& posted = session.host.game.notifications;
  return std::count(posted.begin(), posted.end(), std::string(UnsavedNotice));
}

void SwitchAmmoCounterInMenu(Session& session, int menuKey, const char* opening) {
  session.Tap(menuKey);
  if (opening != nullptr) Check(session.Drew("~y~Halvane~w~ | Keybindings"), opening);
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  session.Tap(menuKey);
}

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
    std::printf("GetProcessMemoryInfo failed: %lu\n", GetLastError());
  }
  return counters.PagefileUsage;
}

}  // namespace runner
