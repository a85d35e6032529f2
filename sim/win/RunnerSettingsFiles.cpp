// Playthroughs of the settings file on a misbehaving disk or in another
// program's hands: first start, a prepared file, locks, a file held open, a
// full disk, the read-only mark. What the file leaves beside it (temporaries,
// links, marks) is in RunnerSettingsLinks.cpp, what it holds in
// RunnerSettingsContent.cpp.
#include "GameProcess.h"
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
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

}  // namespace runner
