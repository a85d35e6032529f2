#include "PlaygroundFolder.h"

#include "GameProcess.h"
#include "PluginLoader.h"

#include <windows.h>
// windows.h first: this needs its types.
#include <bcrypt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>

namespace playground {

namespace {

namespace fs = std::filesystem;

constexpr const char* MarkHeading =
    "This folder was made by the Halvane playground. It installs Halvane.asi here\n"
    "and writes only over the Halvane.asi it put here last, recorded below.\n";
constexpr const char* Put = "put: ";
// The state recorded for a folder with no Halvane.asi in it.
constexpr const char* NoPlugin = "none";

const char* const ChooseAnother =
    "start the playground with --folder naming a folder that does not exist yet (it makes it).";

// A file's bytes, or nothing with the reason in `error` when it cannot be read.
std::optional<std::string> ReadWhole(const fs::path& file, std::string& error) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    error = std::generic_category().message(errno);
    return std::nullopt;
  }
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) {
    error = "read error";
    return std::nullopt;
  }
  return bytes;
}

// "<size> <SHA-256 in hex>": what the mark records of a Halvane.asi.
std::optional<std::string> Fingerprint(const std::string& bytes) {
  if (bytes.size() > std::numeric_limits<ULONG>::max()) return std::nullopt;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) return std::nullopt;
  BCRYPT_HASH_HANDLE hash = nullptr;
  unsigned char digest[32] = {};
  const bool hashed = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0 &&
                      BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                                     static_cast<ULONG>(bytes.size()), 0) >= 0 &&
                      BCryptFinishHash(hash, digest, sizeof digest, 0) >= 0;
  if (hash != nullptr) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!hashed) return std::nullopt;
  std::string text = std::to_string(bytes.size()) + ' ';
  for (const unsigned char byte : digest) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

// The state of the folder's Halvane.asi as the mark records it: its
// fingerprint, NoPlugin when there is none, nothing when it cannot be read.
std::optional<std::string> PluginState(const fs::path& folder) {
  const fs::path installed = folder / sim::PluginFileName;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(installed, error);
  if (error && error != std::errc::no_such_file_or_directory) return std::nullopt;
  if (!fs::exists(status)) return NoPlugin;
  std::string reason;
  const std::optional<std::string> bytes = ReadWhole(installed, reason);
  return bytes ? Fingerprint(*bytes) : std::nullopt;
}

// The states the mark records, or nothing when the folder holds no mark of
// this playground's.
std::optional<std::vector<std::string>> ReadMark(const fs::path& folder) {
  std::string error;
  const std::optional<std::string> text = ReadWhole(folder / FolderMark, error);
  if (!text || !text->starts_with(MarkHeading)) return std::nullopt;
  std::vector<std::string> states;
  std::istringstream lines(text->substr(std::string_view(MarkHeading).size()));
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with(Put)) return std::nullopt;
    states.push_back(line.substr(std::string_view(Put).size()));
  }
  return states;
}

// The state of the folder's Halvane.asi when the playground may write over
// it: one the mark records, or none at all (moved away by the player, or
// never put there); nothing when the folder has no mark or holds a
// Halvane.asi the mark does not name.
std::optional<std::string> RecordedState(const fs::path& folder) {
  const std::optional<std::vector<std::string>> mark = ReadMark(folder);
  const std::optional<std::string> state = mark ? PluginState(folder) : std::nullopt;
  if (!state || (*state != NoPlugin && std::find(mark->begin(), mark->end(), *state) == mark->end()))
    return std::nullopt;
  return state;
}

// While a playground runs, it holds a mutex named after its folder's file
// identity (the same folder reached by another path has the same name), so
// a second one started on that folder can say so instead of failing to
// write over a Halvane.asi the first has loaded. Windows closes it when the
// program ends, however it ends.
HANDLE folderInUse = nullptr;

// Takes the folder's mutex: nothing when taken, otherwise why not.
std::optional<std::string> HoldFolder(const fs::path& folder) {
  const HANDLE directory = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION identity = {};
  const bool known = directory != INVALID_HANDLE_VALUE && GetFileInformationByHandle(directory, &identity);
  const DWORD code = GetLastError();
  if (directory != INVALID_HANDLE_VALUE) CloseHandle(directory);
  if (!known)
    return "cannot look into " + Utf8(folder) + ": " +
           std::system_category().message(static_cast<int>(code)) + ". To play, " + ChooseAnother;
  wchar_t name[96];
  std::swprintf(name, std::size(name), L"Local\\HalvanePlaygroundFolder-%08lx-%08lx%08lx",
                identity.dwVolumeSerialNumber, identity.nFileIndexHigh, identity.nFileIndexLow);
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  if (mutex == nullptr)
    return "cannot take " + Utf8(folder) + ": " +
           std::system_category().message(static_cast<int>(GetLastError())) + ". To play, " + ChooseAnother;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return "another playground is using the folder " + Utf8(folder) +
           " (it is still running there): it is left as it is. Close that playground (Esc in its window) "
           "and start this one again; or " +
           std::string(ChooseAnother);
  }
  folderInUse = mutex;
  return std::nullopt;
}

// Writes `bytes` beside `file` and moves them over it: the file is the old
// one or the new one whole at every moment. Nothing, or what went wrong.
std::optional<std::string> WriteWhole(const fs::path& file, const std::string& bytes) {
  fs::path beside = file;
  beside += L".new";
  FILE* stream = _wfopen(beside.c_str(), L"wb");
  if (stream == nullptr) return Utf8(beside) + ": " + std::generic_category().message(errno);
  const bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && std::fflush(stream) == 0;
  const int writeError = errno;
  if (std::fclose(stream) != 0 || !written) {
    _wremove(beside.c_str());
    return Utf8(beside) + ": " + std::generic_category().message(written ? errno : writeError);
  }
  if (MoveFileExW(beside.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    const DWORD code = GetLastError();
    _wremove(beside.c_str());
    return Utf8(file) + ": " + std::system_category().message(static_cast<int>(code));
  }
  return std::nullopt;
}

std::optional<std::string> WriteMark(const fs::path& folder, const std::vector<std::string>& states) {
  std::string text = MarkHeading;
  for (const std::string& state : states) text += Put + state + '\n';
  return WriteWhole(folder / FolderMark, text);
}

std::string CannotWrite(const fs::path& folder, const std::string& cause) {
  return "The playground cannot write into its folder " + Utf8(folder) + ": " + cause +
         "\nIt installs Halvane.asi there, and the plug-in saves Halvane.ini there. Make the folder "
         "writable (or free some disk space), then press Home; or quit and " +
         ChooseAnother;
}

}  // namespace

std::optional<std::string> GameFile(const fs::path& folder) {
  std::error_code error;
  if (fs::exists(folder / FolderMark, error) || fs::equivalent(folder, ProgramFolder(), error))
    return std::nullopt;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    std::wstring name = entry->path().filename().wstring();
    for (wchar_t& letter : name) letter = static_cast<wchar_t>(std::towlower(letter));
    if (name == L"scripthookv.dll" || name == L"dinput8.dll" || name == L"halvane.ini" ||
        name.ends_with(L".asi"))
      return Utf8(entry->path().filename());
  }
  return std::nullopt;
}

namespace {

// How a refusal names the folder: by its option only when it was typed.
std::string Named(const fs::path& folder, bool typed) {
  return (typed ? "playground: --folder " : "playground: the playground's folder ") + Utf8(folder);
}
std::string Taken(bool typed) { return typed ? "playground: --folder: " : "playground: "; }

}  // namespace

std::optional<std::string> TakeFolder(const fs::path& folder, bool typed) {
  const std::string named = Named(folder, typed);
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (error && error != std::errc::no_such_file_or_directory)
    return named + ": cannot look into it (" + error.message() + "). To play, " + ChooseAnother;
  if (!fs::exists(status)) {
    // The folder it would be made in, the nearest that exists: never a game's.
    fs::path around = folder;
    do {
      const fs::path parent = around.parent_path();
      around = parent.empty() || parent == around ? fs::path(".") : parent;
    } while (around != "." && !fs::exists(around, error));
    if (const std::optional<std::string> file = GameFile(around)) {
      return named + ": it would be made in " + Utf8(around) + ", a game folder (it holds " + *file +
             "), and the playground writes nothing into a game folder. To play, name a --folder outside the "
             "game folder that does not exist yet (it makes it).";
    }
    return std::nullopt;
  }
  if (!fs::is_directory(status)) return named + ": that is a file, not a folder. To play, " + ChooseAnother;
  if (!ReadMark(folder)) {
    return named +
           " is not a folder the playground made (it holds no mark of the playground's), and the "
           "playground writes only into a folder it made itself: nothing in it is touched. To play, " +
           ChooseAnother;
  }
  if (const std::optional<std::string> taken = HoldFolder(folder)) return Taken(typed) + *taken;
  if (!RecordedState(folder)) {
    return named +
           " holds a Halvane.asi the playground did not put there (a game's, or one copied in since): "
           "it is left alone. To play, move that Halvane.asi out of the folder (the playground then "
           "installs its own there), or " +
           ChooseAnother;
  }
  return std::nullopt;
}

std::optional<std::string> MakeFolder(const fs::path& folder, bool typed) {
  if (std::error_code error; fs::exists(folder, error)) return std::nullopt;
  if (std::error_code error; fs::create_directories(folder, error), error)
    return Named(folder, typed) + ": cannot make the folder (" + error.message() +
           "). Name a --folder in a place you may write.";
  if (const std::optional<std::string> taken = HoldFolder(folder)) return Taken(typed) + *taken;
  if (const std::optional<std::string> failed = WriteMark(folder, {NoPlugin}))
    return Named(folder, typed) + ": cannot mark the folder it made (" + *failed +
           "). Name a --folder in a place you may write.";
  return std::nullopt;
}

std::optional<std::string> InstallPlugin(const fs::path& plugin, const fs::path& folder, bool typed) {
  const fs::path installed = folder / sim::PluginFileName;
  if (std::error_code error; fs::equivalent(plugin, installed, error)) return std::nullopt;
  std::string reason;
  const std::optional<std::string> bytes = ReadWhole(plugin, reason);
  const std::optional<std::string> next = bytes ? Fingerprint(*bytes) : std::nullopt;
  if (!next) {
    return "cannot read the plug-in " + Utf8(plugin) + (typed ? " (--plugin)" : "") + ": " +
           (bytes ? "no SHA-256" : reason) + "\n" + PluginAdvice(typed);
  }
  if (!ReadMark(folder)) {
    return "The playground's mark in " + Utf8(folder) + " (" + Utf8(FolderMark) +
           ") is gone or changed, so it no longer writes there.\nQuit and " + ChooseAnother;
  }
  const std::optional<std::string> now = RecordedState(folder);
  if (!now) {
    return "Halvane.asi in " + Utf8(folder) + " is not the one the playground put there: it is left alone." +
           "\nMove that Halvane.asi out of the folder, then press Home; or quit and " + ChooseAnother;
  }
  // While the new one is moved in, the mark names both.
  if (const std::optional<std::string> failed = WriteMark(folder, {*now, *next}))
    return CannotWrite(folder, *failed);
  if (const std::optional<std::string> failed = WriteWhole(installed, *bytes))
    return CannotWrite(folder, *failed);
  // Left naming both when this fails: still true of the folder.
  WriteMark(folder, {*next});
  return std::nullopt;
}

}  // namespace playground
