// The settings file's file services on Win32: a new file made only where none
// is, flushes to the disk, the cut, the moves and the replace that keeps the
// file's marks, removal, the whole-file lock and the read-only mark.
#include "platform/Platform.h"
#include "platform/Win32Paths.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include <cstring>
#include <string>

namespace platform {

namespace {

// "wbx", which the system's C runtime does not know: the file made by
// CreateFileW, which refuses a name that is taken, shared as _wfopen shares.
std::FILE* CreateNewFile(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}

}  // namespace

// The C runtime's _wfopen shares the file for reading and writing.
std::FILE* OpenFile(const std::string& path, const char* mode) {
  if (std::strcmp(mode, "wbx") == 0) return CreateNewFile(FilePath(path));
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(FilePath(path).c_str(), wideMode.c_str());
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

// The end of the file set at `length` through its handle, the handle's
// position kept as it was.
bool CutFile(std::FILE* file, std::uint64_t length) {
  if (std::fflush(file) != 0) return false;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  LARGE_INTEGER position{};
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(length);
  if (handle == INVALID_HANDLE_VALUE || !SetFilePointerEx(handle, {}, &position, FILE_CURRENT)) return false;
  const bool cut = SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
  return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) && cut;
}

bool MoveToNew(const std::string& source, const std::string& target) {
  return MoveFileExW(FilePath(source).c_str(), FilePath(target).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// Wine's ReplaceFileW moves the replaced file out of the way before the new
// one takes its name, so that a crash between the two leaves no settings file
// at all, and leaves a file of its own behind when the move out fails. Under
// Wine the file is replaced by a rename instead.
bool RunsUnderWine() {
  static const bool wine = [] {
    const HMODULE system = GetModuleHandleW(L"ntdll.dll");
    return system != nullptr && GetProcAddress(system, "wine_get_version") != nullptr;
  }();
  return wine;
}

namespace {

// The marks a file keeps when it is replaced; a new file is marked for the
// archive already.
constexpr DWORD KeptMarks =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

// ReplaceFileW keeps the replaced file's attributes, security and creation
// time, and refuses a read-only file. The temporary is given the marks
// beforehand as well, for the rename that stands in where ReplaceFileW
// cannot be used (under Wine, on a file system that does not support it, a
// file gone meanwhile); the read-only mark, which a rename under Wine
// ignores, is looked at right before.
bool MoveOver(const std::string& source, const std::string& target) {
  const std::wstring from = FilePath(source);
  const std::wstring to = FilePath(target);
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if ((attributes & KeptMarks) != 0 &&
        !SetFileAttributesW(from.c_str(), attributes & (KeptMarks | FILE_ATTRIBUTE_ARCHIVE))) {
      return false;
    }
    if (!RunsUnderWine()) {
      if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
      // Refused (the file is held open, or marked read-only meanwhile): both
      // files stay as they were. Otherwise the rename stands in: where the
      // file system has no ReplaceFileW, where the old file has gone, and
      // where ReplaceFileW removed it but could not move the new one into its
      // name, which is then free.
      const DWORD error = GetLastError();
      const bool unsupported = error == ERROR_FILE_NOT_FOUND || error == ERROR_NOT_SUPPORTED ||
                               error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_PARAMETER ||
                               error == ERROR_CALL_NOT_IMPLEMENTED;
      const bool oldGone = error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                           GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES;
      if (!unsupported && !oldGone) return false;
    }
  }
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(FilePath(path).c_str()) != 0; }

namespace {

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

}  // namespace

bool LockWholeFile(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  OVERLAPPED from{};
  return LockFileEx(HandleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                    MAXDWORD, &from) != 0;
}

void UnlockWholeFile(std::FILE* file) {
  std::fflush(file);
  OVERLAPPED from{};
  UnlockFileEx(HandleOf(file), 0, MAXDWORD, MAXDWORD, &from);
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(FilePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace platform
