// Playthroughs of the settings file on a misbehaving disk or in another
// program's hands: first start, a prepared file, locks, a full disk, stale and
// huge files, links, hidden, system and read-only marks, an editor's BOM, a
// comma locale.
#include "GameProcess.h"
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace runner {

void FirstStart(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(ReadFile(folder / "Halvane.ini") == DefaultFile,
        "Halvane.ini holds the lines of tests/data/default-settings.ini, CR LF each");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
  // Where nothing stands in the way, every save replaces the file whole.
  for (int save = 1; save <= 2; ++save) {
    const std::uint64_t before = FileIndex(folder / "Halvane.ini");
    SwitchAmmoCounterInMenu(session);
    const std::uint64_t after = FileIndex(folder / "Halvane.ini");
    Check(before != 0 && after != 0 && after != before,
          "save " + std::to_string(save) + " replaces the file rather than writing into it");
  }
  Check(ReadFile(folder / "Halvane.ini") == DefaultFile, "two switches bring the defaults back");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
  Check(UnsavedNotices(session) == 0, "a save that succeeds tells nothing");
  Check(session.Replaces() == 3, "the first file and both saves each replace Halvane.ini: " +
                                     std::to_string(session.Replaces()) + " replaces");
  session.Finish();
}

void PreparedSettings(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const std::string prepared = "; tuned by hand\r\nMenu=F5\r\nGear1=12.5abc\r\n";
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << prepared;
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(ReadFile(folder / "Halvane.ini") == prepared, "a readable file is not rewritten at start-up");
  session.Tap(VK_F2);
  Check(!session.Drew("~y~Halvane~w~ | Keybindings"), "F2 no longer opens the menu");
  session.host.input.keys[VK_F5] = true;
  session.Frame();
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "F5 opens the menu");
  session.host.input.keys[VK_F5] = false;
  session.Frame();
  session.Tap(VK_F5);
  const std::int32_t car = session.DriveAt(20.0F);
  Check(session.host.game.Vehicle(car).velocity.x == 12.5F, "gear 1 is limited to the 12.5 m/s of the file");
  session.Finish();
}

void LockedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another program holds the file open, letting others delete or replace it
  // but not read it: it cannot be read, and it must not be replaced or written.
  std::filesystem::create_directories(folder);
  const std::string mine = "; mine, keep it\r\nMenu=F5\r\nEngine=H\r\nGear1=12.5\r\n";
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << mine;
  HANDLE lock = CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Check(lock != INVALID_HANDLE_VALUE, "the file can be locked");
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F2, "the defaults hold for the run: F2 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "a menu change holds for the run");
  CloseHandle(lock);
  Check(ReadFile(folder / "Halvane.ini") == mine,
        "the locked file is not written, not even by a menu change");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");

  // The lock is gone: the next opening of the menu reads the file, and
  // saving works again.
  session.Tap(VK_F2);
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "F2 still opens the menu");
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  session.Tap(VK_F5);
  Check(!session.Drew("~y~Halvane~w~ | Keybindings"), "the file's F5 closes the menu once it is read");
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Menu=F5\r\nEngine=H\r\n") != std::string::npos &&
            saved.find("Gear1=12.5\r\n") != std::string::npos,
        "the player's settings are read and saved with the change");
  session.Finish();
}

void FileHeldOpen(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // An editor or a file watcher holds the file open, sharing reads and
  // writes but not deletion: the file cannot be replaced, only written. The
  // player's notes make it longer than the file the save writes.
  std::filesystem::create_directories(folder);
  // Longer than any buffer of the C runtime's, so that a write in pieces
  // would show between them.
  const std::string mine = std::string("; my notes: ") + std::string(20000, '#') + "\r\n" + DefaultFile;
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << mine;
  HANDLE editor = CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(editor != INVALID_HANDLE_VALUE, "the file can be held open");
  watchedSettingsFile = folder / "Halvane.ini";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session);
  session.Finish();
  watchedSettingsFile.clear();
  const std::string saved = ReadFile(folder / "Halvane.ini");
  CloseHandle(editor);
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && saved.size() == DefaultFile.size(),
        "the change is written into the held file, whole");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
  // After every write that reached the file, it holds the old file or the
  // new text and blank lines: the text goes in one write, not in pieces.
  Check(writesWatched && !afterWrites.empty(), "the C runtime's writes to the file are watched");
  for (const std::string& moment : afterWrites) {
    const std::size_t end = moment.find_last_not_of('\n');
    const std::string text = end == std::string::npos ? std::string() : moment.substr(0, end + 1) + "\n";
    Check(moment == mine || text == saved,
          "after a write the file holds the old settings or the new, whole: " + moment.substr(0, 300));
  }
  // Just before the cut, the new text is followed by blank lines alone: a
  // crash then leaves the new settings, not the old file's tail after them.
  Check(beforeCuts.size() == 1,
        "the save cuts the file once: " + std::to_string(beforeCuts.size()) + " cuts");
  for (const BeforeCut& cut : beforeCuts) {
    const auto length = static_cast<std::size_t>(cut.length);
    Check(length <= cut.content.size() && cut.content.compare(0, length, saved) == 0 &&
              cut.content.find_first_not_of('\n', length) == std::string::npos,
          "before the cut the file holds the new text and blank lines: " + cut.content.substr(0, 600));
  }
}

void FullDisk(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The disk takes no file past the settings file's own size: the temporary
  // (or, in a locked folder, the in-place write) runs out of room and must
  // leave the player's bytes as they were. In the plain folder a crash left
  // the temporary behind as a hard link to the settings file itself (in the
  // locked one no link can be made).
  const std::string mine = ReadFile(folder / "Halvane.ini");
  const bool linked = CreateHardLinkW(Temporary(folder).c_str(), (folder / "Halvane.ini").c_str(), nullptr);
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file is read: F5 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "the change holds for the run");
  Check(UnsavedNotices(session) == 1, "the player is told that the change could not be saved");
  session.Finish();
  Check(!mine.empty() && ReadFile(folder / "Halvane.ini") == mine,
        "the settings file is as it was, byte for byte");
  Check(!std::filesystem::exists(Temporary(folder)),
        linked ? "the stale temporary is removed, not written through" : "no temporary file is left");
}

void ReadOnlySettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The player marked Halvane.ini read-only to keep it as it is: a change in
  // the menu holds for the run and is told, and the file is neither replaced
  // nor written, nor loses its mark.
  std::filesystem::create_directories(folder);
  const std::string mine = "Menu=F5\r\n";
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << mine;
  const std::wstring file = (folder / "Halvane.ini").wstring();
  Check(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY) != 0, "the file can be marked read-only");
  const std::uint64_t identity = FileIndex(folder / "Halvane.ini");
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file is read: F5 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "the change holds for the run");
  Check(UnsavedNotices(session) == 1, "the player is told that the change could not be saved");
  session.Finish();
  Check(ReadFile(folder / "Halvane.ini") == mine, "the file is as it was, byte for byte");
  Check(FileIndex(folder / "Halvane.ini") == identity, "the file is not replaced");
  const DWORD attributes = GetFileAttributesW(file.c_str());
  Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0,
        "the file keeps its read-only mark");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// The id of a process that was started and has ended.
DWORD EndedProcessId() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &process)) {
    return 0;
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return process.dwProcessId;
}

// The id of a process that runs, other than this one (one of Wine's own).
DWORD RunningProcessId() {
  DWORD ids[1024];
  DWORD bytes = 0;
  if (!K32EnumProcesses(ids, sizeof ids, &bytes)) return 0;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    if (ids[i] != 0 && ids[i] != GetCurrentProcessId()) return ids[i];
  }
  return 0;
}

std::filesystem::path TemporaryOf(const std::filesystem::path& folder, DWORD process) {
  return folder / ("Halvane.ini." + std::to_string(process) + ".tmp");
}

}  // namespace

void StaleTemporary(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A crash left the temporary as a hard link to another program's file.
  std::filesystem::create_directories(folder);
  const std::string theirs = "another program's file\r\n";
  std::ofstream(folder / "other.txt", std::ios::binary) << theirs;
  Check(CreateHardLinkW(Temporary(folder).c_str(), (folder / "other.txt").c_str(), nullptr),
        "a hard link can be made");
  // Crashes of other game processes left their temporaries, an older
  // release its own; a game that runs is saving through its temporary now.
  const DWORD ended = EndedProcessId();
  const DWORD running = RunningProcessId();
  Check(ended != 0 && running != 0, "a process that ended and one that runs are found");
  for (const auto& left :
       {folder / "Halvane.ini.tmp", TemporaryOf(folder, ended), TemporaryOf(folder, running)})
    std::ofstream(left, std::ios::binary) << "left by a crash\r\n";
  std::filesystem::create_directory(TemporaryOf(folder, 4000001));
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp") &&
            !std::filesystem::exists(TemporaryOf(folder, ended)),
        "start-up removes the temporaries of an older release and of a process that ended");
  Check(std::filesystem::exists(TemporaryOf(folder, running)),
        "the temporary of a process that runs is kept");
  Check(std::filesystem::is_directory(TemporaryOf(folder, 4000001)), "a folder under such a name is kept");
  SwitchAmmoCounterInMenu(session);
  session.Finish();
  Check(ReadFile(folder / "other.txt") == theirs, "the linked file is never written");
  Check(ReadFile(folder / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "the change is saved");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
}

void LinkedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Made by the test script, as a mod manager deploys files: symlink's
  // Halvane.ini is a symbolic link to mods' Halvane.ini; dangling's is a
  // symbolic link to a file that is not there.
  {
    const std::filesystem::path game = folder / "symlink";
    const std::filesystem::path target = folder / "mods" / "Halvane.ini";
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    SwitchAmmoCounterInMenu(session, VK_F5, "the file the link names is read: F5 opens the menu");
    const std::string saved = ReadFile(target);
    Check(saved.find("Menu=F5\r\n") != std::string::npos &&
              saved.find("HideAmmoHud=1\r\n") != std::string::npos,
          "the file the link names takes the change");
    Check(!FinalPath(target).empty() && FinalPath(game / "Halvane.ini") == FinalPath(target),
          "Halvane.ini is still a link to it");
    Check(!std::filesystem::exists(Temporary(game)) && !std::filesystem::exists(Temporary(folder / "mods")),
          "no temporary file is left");
    Check(UnsavedNotices(session) == 0, "a save through the link tells nothing");
    session.Finish();
  }
  {
    // A link into a folder whose name ends in a dot, whose path Wine cannot
    // spell: the file is written where it is, through the link.
    Session session(plugin, folder / "dotted");
    if (!session.Load()) return;
    session.Frame();
    SwitchAmmoCounterInMenu(session, VK_F5, "the file the link names is read: F5 opens the menu");
    Check(UnsavedNotices(session) == 0, "a save through the link tells nothing");
    session.Finish();
  }
  {
    // A file with a second name: both names see the change.
    const std::filesystem::path game = folder / "hard";
    std::filesystem::create_directories(game);
    std::ofstream(game / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
    Check(CreateHardLinkW((game / "backup.ini").c_str(), (game / "Halvane.ini").c_str(), nullptr),
          "a hard link can be made");
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    SwitchAmmoCounterInMenu(session, VK_F5, "the file is read: F5 opens the menu");
    Check(ReadFile(game / "backup.ini").find("HideAmmoHud=1\r\n") != std::string::npos &&
              FileIndex(game / "backup.ini") == FileIndex(game / "Halvane.ini"),
          "the file's other name sees the change");
    session.Finish();
  }
  const std::filesystem::path game = folder / "dangling";
  // Wine shows nothing under a link to nothing: no attributes, and no new
  // file can be made there.
  const auto linkStays = [&] {
    HANDLE made =
        CreateFileW((game / "Halvane.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (made != INVALID_HANDLE_VALUE) CloseHandle(made);
    return made == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS &&
           GetFileAttributesW((game / "Halvane.ini").c_str()) == INVALID_FILE_ATTRIBUTES &&
           !std::filesystem::exists(game / "nowhere.ini");
  };
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  Check(linkStays(), "start-up writes no file through the link to nothing, nor over it");
  SwitchAmmoCounterInMenu(session);
  Check(session.host.game.hiddenHud.count(20) == 1, "the change holds for the run");
  Check(UnsavedNotices(session) == 1, "the player is told that the change could not be saved");
  Check(linkStays(), "the save writes no file through the link to nothing, nor over it");
  Check(!std::filesystem::exists(Temporary(game)), "no temporary file is left");
  session.Finish();
}

namespace {

// GetProcAddress as on Windows itself, where no Wine is found.
FARPROC WINAPI ProcAddressWithoutWine(HMODULE module, LPCSTR name) {
  if (reinterpret_cast<std::uintptr_t>(name) > 0xFFFF && std::strcmp(name, "wine_get_version") == 0) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return GetProcAddress(module, name);
}

void MarkedSettingsFileIn(const std::filesystem::path& plugin, const std::filesystem::path& folder,
                          bool asOnWindows) {
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "Halvane.ini";
  std::ofstream(file, std::ios::binary) << "Menu=F5\r\n";
  constexpr DWORD Marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  Check(SetFileAttributesW(file.c_str(), Marks) != 0, "the file can be marked hidden and system");
  Session session(plugin, folder);
  if (!session.Load()) return;
  if (asOnWindows) {
    Check(PatchImport(reinterpret_cast<HMODULE>(session.host.Module()), "KERNEL32.dll", "GetProcAddress", 0,
                      reinterpret_cast<void*>(&ProcAddressWithoutWine)),
          "the plug-in asks for Wine through GetProcAddress");
  }
  replaceFileCalls = 0;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file is read: F5 opens the menu");
  Check(replaceFileCalls == (asOnWindows ? 1 : 0),
        asOnWindows ? "the file is replaced by ReplaceFileW" : "under Wine the file is replaced by a rename");
  const std::string saved = ReadFile(file);
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && session.Replaces() == 1,
        "the change replaces the file");
  const DWORD marks = GetFileAttributesW(file.c_str());
  Check(marks != INVALID_FILE_ATTRIBUTES && (marks & Marks) == Marks,
        "the file keeps its hidden and system marks");

  // The player marks the file read-only while the next save is under way:
  // once its temporary is on the disk, or (where ReplaceFileW is used) right
  // before the replace.
  const std::uint64_t identity = FileIndex(file);
  const auto markReadOnly = [&] { SetFileAttributesW(file.c_str(), Marks | FILE_ATTRIBUTE_READONLY); };
  if (asOnWindows) {
    beforeMove = [&](const std::filesystem::path&) { markReadOnly(); };
  } else {
    afterCommit = [&](std::uint64_t committed) {
      if (committed != identity) markReadOnly();
    };
  }
  SwitchAmmoCounterInMenu(session, VK_F5);
  beforeMove = nullptr;
  afterCommit = nullptr;
  Check(UnsavedNotices(session) == 1, "the player is told that the change could not be saved");
  Check(ReadFile(file) == saved && FileIndex(file) == identity,
        "the read-only file is neither replaced nor written");
  Check(
      std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()) == 2,
      "nothing but Halvane.asi and Halvane.ini is left in the folder");
  session.Finish();
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

void MarkedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Under Wine the plug-in replaces by a rename; where Wine cannot be found
  // (as on Windows) it uses ReplaceFileW.
  MarkedSettingsFileIn(plugin, folder / "renamed", false);
  MarkedSettingsFileIn(plugin, folder / "replaced", true);
}

void HugeSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A 12 GiB file (a mistaken copy), sparse: too large to be a settings file.
  constexpr LONGLONG Size = 12LL << 30;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  HANDLE file =
      CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = Size;
  Check(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file), "a 12 GiB file can be made");
  CloseHandle(file);
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F2, "the defaults hold: F2 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "a menu change holds for the run");
  session.Finish();
  std::error_code error;
  Check(std::filesystem::file_size(folder / "Halvane.ini", error) == static_cast<std::uintmax_t>(Size),
        "the file is left as it is");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
}

void BomBinaryMode(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another module of the game switched the C runtime's default file mode
  // to binary, and the player's editor saved the file "UTF-8 with BOM" with
  // a Ctrl-Z line in it.
  auto* defaultMode = reinterpret_cast<int*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_fmode"));
  Check(defaultMode != nullptr, "the C runtime's default file mode can be set");
  if (defaultMode == nullptr) return;
  *defaultMode = 0x8000;  // _O_BINARY
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "probe", std::ios::binary) << "a\r\n";
  std::FILE* probe = _wfopen((folder / "probe").c_str(), L"r");
  char bytes[8] = {};
  const std::size_t read = probe != nullptr ? std::fread(bytes, 1, sizeof bytes, probe) : 0;
  if (probe != nullptr) std::fclose(probe);
  Check(read == 3, "files opened without a mode keep their CR");

  std::ofstream(folder / "Halvane.ini", std::ios::binary)
      << "\xEF\xBB\xBFMenu=F5\r\nEngine=H\r\n\x1A\r\nGear1=12.5\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the first line, after the mark, is read: F5 opens the menu");
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Menu=F5\r\nEngine=H\r\n") != std::string::npos, "every CR LF line is read");
  Check(saved.find("Gear1=12.5\r\n") != std::string::npos, "a line after Ctrl-Z is read too");
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && saved.find("\n\n") == std::string::npos &&
            saved.find("\r\r") == std::string::npos,
        "the file is written with CR LF whatever the default mode");
  session.Finish();
  *defaultMode = 0x4000;  // _O_TEXT
}

void CommaLocale(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another part of the process set a locale with a decimal comma in the
  // C runtime the plug-in shares.
  const char* locale = std::setlocale(LC_ALL, "German_Germany.1252");
  Check(locale != nullptr && std::strtod("9,5", nullptr) == 9.5, "a locale with a decimal comma is set");
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Gear1=12.75\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  Check(session.host.game.Vehicle(car).velocity.x == 12.75F, "gear 1 is held at 12.75 m/s, as the file says");
  SwitchAmmoCounterInMenu(session);
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Gear1=12.75\r\nGear2=18.06\r\nGear3=26.39\r\nGear4=34.72\r\n") != std::string::npos,
        "speeds are saved with a point");
  session.Finish();
  std::setlocale(LC_ALL, "C");
}

}  // namespace runner
