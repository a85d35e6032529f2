// Playthroughs of game folders: read-only, locked with a writable file, with
// letters of any alphabet, a path over 260 characters, a name ending in a dot.
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
#include <string>

namespace runner {

void FileAppearsAtFirstStart(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // No Halvane.ini at start-up; the player's own appears (copied in by
  // another program) just before the first file is moved into its place.
  // It is never replaced: it is read, and its F3 opens the menu.
  std::filesystem::create_directories(folder);
  const std::string theirs = "Menu=F3\r\nEngine=H\r\n";
  const std::filesystem::path file = folder / "Halvane.ini";
  beforeMove = [&](const std::filesystem::path& target) {
    if (std::filesystem::equivalent(target.parent_path(), folder) && target.filename() == "Halvane.ini" &&
        !std::filesystem::exists(file)) {
      std::ofstream(file, std::ios::binary) << theirs;
    }
  };
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  beforeMove = nullptr;
  Check(ReadFile(file) == theirs, "the player's file is left byte for byte");
  SwitchAmmoCounterInMenu(session, VK_F3, "the player's file is read: F3 opens the menu");
  Check(ReadFile(file).find("Menu=F3\r\nEngine=H\r\n") != std::string::npos &&
            ReadFile(file).find("HideAmmoHud=1\r\n") != std::string::npos,
        "a change in the menu is saved over the player's settings");
  Check(!std::filesystem::exists(Temporary(folder)), "no temporary file is left");
  session.Finish();
}

void ReadOnlyFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The folder was made read-only with the DLL already in it.
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(!std::filesystem::exists(folder / "Halvane.ini"),
        "no settings file can appear in a read-only folder");
  SwitchAmmoCounterInMenu(session);
  Check(session.host.game.hiddenHud.count(20) == 1, "a change that cannot be saved stays in force");
  Check(UnsavedNotices(session) == 1, "the player is told once that the change could not be saved");
  SwitchAmmoCounterInMenu(session);
  Check(UnsavedNotices(session) == 2, "and once again at the next opening of the menu");
  session.Finish();
}

void LockedFolderWritableFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The folder was locked with the DLL and a settings file in it; the file
  // itself can still be written.
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session);
  Check(session.host.game.hiddenHud.count(20) == 1, "the change is in force");
  session.Finish();
  Check(ReadFile(folder / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "the change is written into the file in place");
}

void NonAsciiFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game installed under a folder whose name is not in the ANSI code page.
  const std::filesystem::path game = folder / L"\u0418\u0433\u0440\u044B \u00C9t\u00E9";
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile,
          "the first start writes Halvane.ini beside the DLL, as tests/data/default-settings.ini holds it");
    SwitchAmmoCounterInMenu(session);
    Check(ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
          "a menu change is saved there");
    Check(!std::filesystem::exists(Temporary(game)), "no temporary file is left");
    session.Finish();
  }
  std::ofstream(game / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  session.Tap(VK_F5);
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "the next start reads the file: F5 opens the menu");
  session.Finish();
}

void LongPath(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game installed deep in long folder names: the DLL's path is longer
  // than the 260 characters of the classic buffers.
  std::filesystem::path game = folder;
  while (game.wstring().size() < 320) game /= L"Long Folder Name Of A Game Install";
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    Check(session.host.LibraryFile().wstring().size() > 260, "the DLL's path is over 260 characters");
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile,
          "the first start writes Halvane.ini beside the DLL, as tests/data/default-settings.ini holds it");
    Check(!std::filesystem::exists(game.parent_path() / "Halvane.ini"), "nothing is written one folder up");
    SwitchAmmoCounterInMenu(session);
    Check(ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
          "a menu change is saved there");
    session.Finish();
  }
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  Check(session.host.game.hiddenHud.count(20) == 1, "the next start reads it there");
  session.Finish();
}

void DotFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game folder whose name ends in a dot, which only a \\?\ path can
  // name: the ordinary path rules drop the dot and lead to another folder.
  const std::filesystem::path game = std::wstring(LR"(\\?\)") + folder.wstring() + L"\\game.";
  const std::filesystem::path lookalike = folder / "game";
  Check(CreateDirectoryW(game.c_str(), nullptr) && CreateDirectoryW(lookalike.c_str(), nullptr),
        "a folder \"game.\" and a folder \"game\" can be made");
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile,
          "the first start writes Halvane.ini in \"game.\", as tests/data/default-settings.ini holds it");
    Check(!std::filesystem::exists(lookalike / "Halvane.ini"), "nothing is written in \"game\"");
    session.Finish();
  }
  std::ofstream(game / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file in \"game.\" is read: F5 opens the menu");
  Check(ReadFile(game / "Halvane.ini").find("Menu=F5\r\nEngine=G\r\n") != std::string::npos &&
            ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "a menu change is saved there");
  Check(!std::filesystem::exists(lookalike / "Halvane.ini"), "nothing is written in \"game\"");
  session.Finish();
}

}  // namespace runner
