// Playthroughs of what the settings file leaves beside it and what it is:
// the temporaries a crash left (hard links among them), a file reached
// through links (symbolic, into a folder Wine cannot spell, hard, dangling),
// and the hidden, system and read-only marks a replace keeps.
#include "GameProcess.h"
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>
// windows.h first: this needs its types.
#include <psapi.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace runner {

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

}  // namespace runner
