// Win32 implementation of the platform services.
#include "platform/Platform.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mmsystem.h>
#include <psapi.h>
#include <shlobj.h>
#include <xinput.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>

// Imported by ordinal 2 from XINPUT1_4.dll (see xinput1_4.def).
extern "C" DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state);

namespace platform {

// The longest path Windows knows, in UTF-16 units.
constexpr std::size_t LongestPath = 32767;

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

namespace {

// PlaySoundA goes on reading a clip on the system's sound thread after it
// returns. A clip played from this library's image would be freed under that
// thread when the library is unloaded, ending the game; so each clip plays
// from a copy that stays with the process: memory of the process's own,
// read-only, never freed. Only such memory is played from: a section's view
// can be unmapped or rewritten by whichever module maps it. So that memory
// stays bounded however often the plug-in is loaded, the first load that
// plays a clip leaves where its copy is in a small section named after the
// process and the clip's bytes; a later load plays from that copy once it
// has checked that it is one: a whole private allocation of its own,
// read-only, holding exactly the clip.
struct KeptClipHeader {
  const std::uint8_t* copy;  // the clip, in a private read-only allocation
};

std::uint64_t ClipHash(const std::uint8_t* bytes, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3;
  return hash;
}

// Whether `copy`, found in a section's header, is an earlier load's kept copy
// of the clip: the start of a private allocation, committed and read-only
// for the clip's whole length, holding exactly the clip's bytes. Another
// program may have made the section first, with anything in it; nothing
// else is played.
bool IsKeptCopy(const std::uint8_t* copy, const std::uint8_t* image, std::size_t size) {
  if (copy == nullptr) return false;
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(copy, &region, sizeof region) != sizeof region) return false;
  const bool whole = region.AllocationBase == copy && region.BaseAddress == copy &&
                     region.State == MEM_COMMIT && region.Type == MEM_PRIVATE &&
                     region.Protect == PAGE_READONLY && region.RegionSize >= size;
  return whole && std::memcmp(copy, image, size) == 0;
}

// A copy of the clip in memory of the process's own, read-only and never
// freed, so that it outlives the library.
const std::uint8_t* OwnCopy(const std::uint8_t* image, std::size_t size) {
  void* copy = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, image, size);
  DWORD was = 0;
  VirtualProtect(copy, size, PAGE_READONLY, &was);
  return static_cast<const std::uint8_t*>(copy);
}

const std::uint8_t* KeepClip(const std::uint8_t* image, std::size_t size) {
  wchar_t name[64];
  swprintf(name, std::size(name), L"Local\\Halvane.Clip.%lu.%016llx", GetCurrentProcessId(),
           static_cast<unsigned long long>(ClipHash(image, size)));
  constexpr std::size_t Total = sizeof(KeptClipHeader);
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, Total, name);
  if (section == nullptr) return OwnCopy(image, size);
  const bool earlier = GetLastError() == ERROR_ALREADY_EXISTS;
  auto* view = static_cast<std::uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, Total));
  if (view == nullptr) {
    CloseHandle(section);
    return OwnCopy(image, size);
  }
  KeptClipHeader header{};
  if (earlier) {
    // Made before this load: an earlier load's copy is played from; a
    // section that says anything else is left to its maker as it is.
    std::memcpy(&header, view, sizeof header);
    UnmapViewOfFile(view);
    CloseHandle(section);
    return IsKeptCopy(header.copy, image, size) ? header.copy : OwnCopy(image, size);
  }
  header.copy = OwnCopy(image, size);
  std::memcpy(view, &header, sizeof header);
  UnmapViewOfFile(view);
  // The handle stays open, so that later loads find the section by its name.
  return header.copy;
}

// This load's clips and their kept copies.
struct KeptClip {
  const std::uint8_t* image;
  const std::uint8_t* copy;
};
constinit KeptClip keptClips[8] = {};

const std::uint8_t* PlayableClip(const std::uint8_t* image, std::size_t size) {
  for (KeptClip& kept : keptClips) {
    if (kept.image == image) return kept.copy;
    if (kept.image != nullptr) continue;
    const std::uint8_t* copy = KeepClip(image, size);
    if (copy == nullptr) return image;  // as before: played from the image
    kept = {image, copy};
    return copy;
  }
  return image;
}

}  // namespace

void PlayWave(const std::uint8_t* image, std::size_t size) {
  PlaySoundA(reinterpret_cast<LPCSTR>(PlayableClip(image, size)), nullptr, SND_ASYNC | SND_MEMORY);
}

namespace {

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), size);
  return wide;
}

// A path for the file functions. A full path (a drive's or a share's) takes
// the \\?\ prefix, which passes it to the file system as it stands: without
// it Windows refuses a path of MAX_PATH characters or more, and drops a dot
// or a space that ends a folder's name, leading to another folder. The
// library's own path, which these paths come from, is already a whole one.
std::wstring Prefixed(std::wstring wide) {
  if (wide.starts_with(LR"(\\?\)")) return wide;
  if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return LR"(\\?\)" + wide;
  if (wide.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + wide.substr(2);
  return wide;
}
std::wstring FilePath(const std::string& path) { return Prefixed(Wide(path)); }

}  // namespace

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

namespace {

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

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(FilePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
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
