// The Wine runner's record of the settings file's way to the disk: the
// plug-in's imports of _commit, MoveFileExW, ReplaceFileW and SetEndOfFile,
// and the C runtime's WriteFile, pointed at recorders that note each call;
// which file a name leads to, and the checks of the replaces.
#include "GameProcess.h"
#include "RunnerSession.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace runner {

std::vector<BeforeCut> beforeCuts;
std::vector<std::string> afterWrites;
bool writesWatched = false;
std::filesystem::path watchedSettingsFile;
std::function<void(const std::filesystem::path& target)> beforeMove;
std::function<void(std::uint64_t file)> afterCommit;
int replaceFileCalls = 0;

namespace {

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

void NoteFileCalls(HMODULE module) {
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
}

int Session::Replaces() const {
  return static_cast<int>(std::count_if(fileEvents.begin(), fileEvents.end(), [](const FileEvent& e) {
    return e.kind == FileEvent::Kind::Replace;
  }));
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

}  // namespace runner
