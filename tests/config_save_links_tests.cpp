// Saving the settings file through links (symbolic, hard, to nothing), the
// permission bits a replace keeps, and the temporaries of processes that no
// longer run, removed at start-up.
#include "SettingsFilePlaythrough.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The temporaries beside `file`, named for any process or none.
std::vector<std::string> TemporariesBeside(const std::filesystem::path& file) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(file.filename().string() + ".") && name.ends_with(".tmp")) names.push_back(name);
  }
  return names;
}

// A file with a second name, and the crash points of both: SaveCrashTest.
TEST_F(SettingsFileTest, ALinkedFileIsSavedThroughItsLinkAndALinkToNothingIsLeftAlone) {
  // A symbolic link into another folder: the file there takes the change,
  // its temporary beside it, and the link stays a link.
  const std::filesystem::path mods = folder / "mods";
  std::filesystem::create_directory(mods);
  WriteFile(mods / "Halvane.ini", "Menu=F5\n");
  std::filesystem::create_symlink(mods / "Halvane.ini", file);
  Config = DefaultConfig;
  LoadSettings();
  Config.Engine = 'J';
  EXPECT_TRUE(SaveSettings());
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_THAT(ReadFile(mods / "Halvane.ini"), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
  EXPECT_THAT(host.fileLog, ::testing::Contains("move " + TemporaryOf(mods / "Halvane.ini").string() + " " +
                                                (mods / "Halvane.ini").string()));
  EXPECT_TRUE(TemporariesBeside(file).empty() && TemporariesBeside(mods / "Halvane.ini").empty());

  // A link to nothing: no first file through it or over it at start-up,
  // and the first save is refused, telling the player.
  std::filesystem::remove(file);
  std::filesystem::create_symlink("nowhere.ini", file);
  Config = DefaultConfig;
  LoadSettings();
  Config.Engine = 'M';
  EXPECT_FALSE(SaveSettings());
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_FALSE(std::filesystem::exists(folder / "nowhere.ini"));
  EXPECT_TRUE(TemporariesBeside(file).empty());
}

TEST_F(SettingsFileTest, AReplaceKeepsThePermissionBitsAndNeverTakesAFileMadeReadOnlyMeanwhile) {
  LoadText("Menu=F5\n");
  for (const auto permissions : {std::filesystem::perms(0600), std::filesystem::perms(0640)}) {
    std::filesystem::permissions(file, permissions);
    const ino_t before = Identity(file);
    Config.Engine = Config.Engine == 'J' ? 'K' : 'J';
    EXPECT_TRUE(SaveSettings());
    EXPECT_NE(Identity(file), before);
    EXPECT_EQ(std::filesystem::status(file).permissions(), permissions);
  }
  // The player marks the file read-only once its temporary is on the disk.
  const std::string mine = ReadFile(file);
  const ino_t identity = Identity(file);
  host.environment.afterFileCall = [&] {
    if (std::filesystem::exists(TemporaryOf(file)))
      std::filesystem::permissions(file, std::filesystem::perms(0444));
  };
  Config.Engine = 'L';
  EXPECT_FALSE(SaveSettings());
  host.environment.afterFileCall = nullptr;
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Identity(file), identity);
  EXPECT_TRUE(TemporariesBeside(file).empty());
}

TEST_F(SettingsFileTest, StartUpRemovesTheTemporariesOfProcessesThatNoLongerRun) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const auto named = [&](const std::string& middle) { return folder / ("Halvane.ini" + middle + ".tmp"); };
  const std::filesystem::path other = folder / "other.txt";
  WriteFile(other, "another program's file\n");
  for (const std::string& middle :
       {std::string(), "." + std::to_string(ended), "." + std::to_string(getpid())})
    WriteFile(named(middle), "left by a crash\n");
  // Kept: a running process's, names of other shapes, and anything but a plain file.
  const std::vector<std::filesystem::path> kept = {named(".1"), named("." + std::to_string(ended) + "x"),
                                                   folder / "Other.ini.5.tmp", named(".5") += ".bak"};
  for (const auto& path : kept) WriteFile(path, "kept\n");
  std::filesystem::create_directory(named(".4000001"));
  std::filesystem::create_symlink(other, named(".4000002"));
  LoadText("Menu=F5\n");
  EXPECT_THAT(TemporariesBeside(file),
              ::testing::UnorderedElementsAre(named(".1").filename().string(),
                                              named("." + std::to_string(ended) + "x").filename().string(),
                                              "Halvane.ini.4000001.tmp", "Halvane.ini.4000002.tmp"));
  for (const auto& path : kept) EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(ReadFile(other), "another program's file\n");
  EXPECT_TRUE(std::filesystem::is_directory(named(".4000001")));
}

}  // namespace
