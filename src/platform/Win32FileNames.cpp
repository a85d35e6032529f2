// What a path of the settings file leads to on Win32: the file itself through
// links (symbolic and hard), a symbolic link to nothing, and the plain files
// of a folder.
#include "platform/Platform.h"
#include "platform/Win32Paths.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

bool SamePath(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                      static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The whole path of the file open as `handle`, links followed, as \\?\ path.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    if (length > LongestPath + 8) return {};
    path.resize(length + 1);
  }
}

// Whether `path` leads to the file `information` describes. Wine spells
// some paths wrongly (a folder's name that ends in a dot loses it), and a
// path that leads elsewhere is never written to.
bool SameFile(const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& information) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION other{};
  const bool known = GetFileInformationByHandle(file, &other) != 0;
  CloseHandle(file);
  return known && other.dwVolumeSerialNumber == information.dwVolumeSerialNumber &&
         other.nFileIndexHigh == information.nFileIndexHigh &&
         other.nFileIndexLow == information.nFileIndexLow;
}

// Whether the name `path` is taken by something that cannot be opened nor
// seen: a symbolic link to nothing. Windows shows such a link itself; Wine
// shows nothing there at all, and only refuses a new file under the name.
bool TakenByDanglingLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (!RunsUnderWine()) return false;
  // Made only where nothing is, opened for no one else and gone at its close.
  HANDLE probe = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

NamedFile FileNamedBy(const std::string& path) {
  using Kind = NamedFile::Kind;
  const std::wstring wide = FilePath(path);
  HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return {Kind::Unknown, path};
    return {TakenByDanglingLink(wide) ? Kind::DanglingLink : Kind::None, path};
  }
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  const std::wstring final = FinalPath(file);
  CloseHandle(file);
  if (!known || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {Kind::Unknown, path};
  NamedFile named{Kind::File, path, information.nNumberOfLinks > 1};
  // Through a link the file has another path. Wine follows its system's
  // symbolic links without showing them as links, so the paths are compared.
  std::wstring given = wide;
  if (!given.starts_with(LR"(\\?\)")) {  // a path relative to the current folder
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    if (length > 0 && length < MAX_PATH) given = Prefixed(std::wstring(full, length));
  }
  if (!final.empty() && !SamePath(final, given)) {
    // Reached through a link: its target by its own path, or, where that
    // path cannot be spelt, through the name as given, as a file with
    // another name is (written where it is, never replaced).
    if (SameFile(final, information)) {
      named.path = Utf8(final);
    } else {
      named.otherNames = true;
    }
  }
  return named;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = (folder.empty() ? std::wstring() : FilePath(folder)) + L"*";
  HANDLE listing =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (listing == INVALID_HANDLE_VALUE) return names;
  constexpr DWORD NoPlainFile =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  do {
    if ((found.dwFileAttributes & NoPlainFile) == 0) names.push_back(Utf8(found.cFileName));
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return names;
}

}  // namespace platform
