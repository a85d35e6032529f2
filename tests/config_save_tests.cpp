// Saving the settings file: a full disk, a crash at any file call, a stale
// temporary, every save a replace, another process saving at once, links,
// permission bits, the temporaries of ended processes, speeds under a comma
// locale.
#include "SettingsFilePlaythrough.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST_F(SettingsFileTest, AFullDiskNeverCostsTheOldFile) {
  const std::string temporary = TemporaryOf(file).string();
  const std::string mine = "Menu=F5\nEngine=H\nGear1=12.5\n";
  LoadText(mine);
  const ino_t original = Identity(file);

  // The temporary cannot be written whole: the old file stays, byte for
  // byte, no temporary is left, and the change holds for the run.
  Config.GearSystem = false;
  {
    const FullDisk disk(mine.size());
    SaveSettings();
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Identity(file), original);
  EXPECT_FALSE(std::filesystem::exists(temporary));
  EXPECT_FALSE(Config.GearSystem);

  // No temporary can be made (a leftover folder in its place) and the
  // in-place write runs out of disk half-way: the old bytes are put back.
  std::filesystem::create_directory(temporary);
  {
    const FullDisk disk(mine.size());
    SaveSettings();
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Identity(file), original);

  // A longer file whose cut to the new length fails: put back as it was.
  const std::string longer = "; " + std::string(400, '#') + "\nMenu=F5\n";
  LoadText(longer);
  host.environment.cutFails = true;
  SaveSettings();
  EXPECT_EQ(ReadFile(file), longer);
  host.environment.cutFails = false;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=G\n"));
  EXPECT_THAT(ReadFile(file), ::testing::EndsWith("Gear4=34.72\n"));
  EXPECT_EQ(ReadFile(file).size(), DefaultFile().size());
  std::filesystem::remove(temporary);
}

// Saves with every file call watched, and checks what a crash right after
// each would leave: the settings before the change or after it, never a
// mix, never less.
class SaveCrashTest : public SettingsFileTest {
 protected:
  // With `rivalAt` set, another game process saves its own settings in
  // place right after that file call of the save (a file call's count, from
  // 0): the moment it is seen at is then what the disk holds after both.
  // Returns how many file calls the save made.
  std::size_t SaveWatched(const std::string& old, void (*change)(), bool saved,
                          std::optional<std::size_t> rivalAt = std::nullopt) {
    LoadText(old);
    const ConfigRecord before = Config;
    change();
    const ConfigRecord after = Config;
    // Longer than any text of ours: cut at our length it would lose its tail.
    ConfigRecord rival = DefaultConfig;
    rival.GearSpeeds = {9.72123F, 18.0612F, 26.3912F, 34.7212F, 9999.0F};
    std::vector<std::optional<std::string>> left;
    bool rivalSaving = false;
    host.environment.afterFileCall = [&] {
      if (rivalSaving) return;
      if (rivalAt == left.size()) {
        rivalSaving = true;
        std::swap(Config, rival);
        SaveSettings();
        std::swap(Config, rival);
        rivalSaving = false;
      }
      left.push_back(std::filesystem::exists(file) ? std::optional(ReadFile(file)) : std::nullopt);
    };
    EXPECT_EQ(SaveSettings(), saved);
    host.environment.afterFileCall = nullptr;
    EXPECT_GE(left.size(), 2U);
    for (std::size_t call = 0; call < left.size(); ++call) {
      if (!left[call].has_value()) {
        ADD_FAILURE() << "no file after file call " << call;
        continue;
      }
      Config = DefaultConfig;
      LoadSettingsText(*left[call]);
      EXPECT_TRUE(Config == before || Config == after || (rivalAt && Config == rival))
          << "after file call " << call << ":\n"
          << *left[call];
      // Nor any stray bytes: the old text or a whole new one, each perhaps
      // followed by the blank lines that pad an in-place write.
      std::string text = *left[call];
      while (text.ends_with("\n\n")) text.pop_back();
      const bool whole = text.starts_with("[Keybindings]\n") && text.ends_with("\n") &&
                         std::count(text.begin(), text.end(), '\n') ==
                             std::count(DefaultFile().begin(), DefaultFile().end(), '\n');
      EXPECT_TRUE(text == old || whole) << "after file call " << call << ":\n" << *left[call];
    }
    Config = after;
    const std::filesystem::path temporary = TemporaryOf(folder / "Halvane.ini");
    EXPECT_FALSE(std::filesystem::exists(temporary) && !std::filesystem::is_directory(temporary));
    return left.size();
  }
};

// The player's lines at the end, under a long comment: a new text written
// over them without care leaves their tail behind it.
const std::string LongFile = "; " + std::string(400, '#') + "\nMenu=F5\nEngine=H\nHideAmmoHud=1\n";

// A comment longer than any stream buffer between two gears: written in
// pieces, the new gear 1 would stand above the old gear 2 for a moment.
const std::string LongerThanAnyBuffer =
    "Gear1=5\n; " + std::string(20000, '#') + "\nGear2=30\nGear3=40\nGear4=50\n";

void ChangeTheGears() {
  Config.GearSpeeds[0] = 6.0F;
  Config.GearSpeeds[1] = 31.0F;
}

TEST_F(SaveCrashTest, ReplacingAFileLongerThanAnyBuffer) {
  SaveWatched(LongerThanAnyBuffer, ChangeTheGears, true);
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Gear1=6\nGear2=31\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverAFileLongerThanAnyBuffer) {
  host.environment.replaceFails = true;
  SaveWatched(LongerThanAnyBuffer, ChangeTheGears, true);
  EXPECT_THAT(ReadFile(file), ::testing::EndsWith("Gear1=6\nGear2=31\nGear3=40\nGear4=50\n"));
}

TEST_F(SaveCrashTest, ReplacingTheFile) {
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Engine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverALongerFile) {
  host.environment.replaceFails = true;
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::EndsWith("Gear4=34.72\n"));
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverAShorterFile) {
  host.environment.replaceFails = true;
  SaveWatched(
      "Menu=F5\n",
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverAShorterFileWhenTheCutFails) {
  host.environment.replaceFails = true;
  host.environment.cutFails = true;
  SaveWatched(
      "Menu=F5\n",
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      false);
  EXPECT_THAT(ReadFile(file), ::testing::StartsWith("Menu=F5\n\n\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceWhenTheCutFailsAndTheOldBytesGoBack) {
  host.environment.replaceFails = true;
  host.environment.cutFails = true;
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      false);
  EXPECT_EQ(ReadFile(file), LongFile);
}

TEST_F(SaveCrashTest, ReplacingTheFileASymbolicLinkNames) {
  std::filesystem::create_directory(folder / "mods");
  std::filesystem::create_symlink(folder / "mods" / "Halvane.ini", file);
  SaveWatched(LongFile, ChangeTheGears, true);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "mods" / "Halvane.ini")));
}

TEST_F(SaveCrashTest, WritingAFileWithASecondNameInPlace) {
  WriteFile(folder / "backup.ini", "");
  std::filesystem::create_hard_link(folder / "backup.ini", file);
  SaveWatched(LongFile, ChangeTheGears, true);
  EXPECT_EQ(Identity(file), Identity(folder / "backup.ini"));
  EXPECT_THAT(ReadFile(folder / "backup.ini"), ::testing::HasSubstr("Gear1=6\nGear2=31\n"));
}

// Two game processes, one file, a folder that takes no temporary: the other
// process saves in place right after each file call of ours, over every
// shape of file. Whatever it manages, the file is always one whole text,
// and ours, saved last, is what stays.
TEST_F(SaveCrashTest, AnotherProcessSavingInPlaceAtEveryFileCall) {
  for (const std::string& shape : {LongerThanAnyBuffer, LongFile, std::string("Menu=F5\n")}) {
    for (std::size_t call = 0;; ++call) {
      SCOPED_TRACE("shape of " + std::to_string(shape.size()) + " bytes, rival at call " +
                   std::to_string(call));
      std::filesystem::create_directory(TemporaryOf(file));  // no temporary can be made
      const std::size_t calls = SaveWatched(shape, ChangeTheGears, true, call);
      std::filesystem::remove(TemporaryOf(file));
      EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Gear1=6\nGear2=31\n"));
      if (HasFailure() || call + 1 >= calls) break;
    }
  }
}

TEST_F(SettingsFileTest, AStaleTemporaryIsNeverWrittenThrough) {
  const std::filesystem::path temporary = TemporaryOf(folder / "Halvane.ini");
  const std::filesystem::path other = folder / "other.txt";
  WriteFile(other, "another program's file\n");
  LoadText("Menu=F5\n");
  // Left as a hard link to another file: that file is not touched.
  std::filesystem::create_hard_link(other, temporary);
  Config.Engine = 'J';
  EXPECT_TRUE(SaveSettings());
  EXPECT_EQ(ReadFile(other), "another program's file\n");
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
  EXPECT_FALSE(std::filesystem::exists(temporary));

  // A link to the settings file itself, on a full disk: the file is kept whole.
  const std::string mine = ReadFile(file);
  std::filesystem::create_hard_link(file, temporary);
  Config.Engine = 'K';
  {
    const FullDisk disk(mine.size() - 1);
    EXPECT_FALSE(SaveSettings());
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(SettingsFileTest, EverySaveReplacesTheFileAfterPuttingTheNewOneOnTheDisk) {
  LoadText(DefaultFile());
  const std::string temporary = TemporaryOf(std::filesystem::canonical(folder) / "Halvane.ini").string();
  std::string previous = DefaultFile();
  for (KeyCode menu : {116, 117, 118}) {
    SCOPED_TRACE(menu);
    const ino_t before = Identity(file);
    std::ifstream reader(file, std::ios::binary);  // a program reading the file meanwhile
    host.fileLog.clear();
    Config.Menu = menu;
    SaveSettings();
    EXPECT_NE(Identity(file), before);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), previous);  // never half of each
    EXPECT_THAT(host.fileLog,
                ::testing::ElementsAre("sync " + temporary,
                                       "move " + TemporaryOf(file).string() + " " + file.string()));
    previous = ReadFile(file);
    EXPECT_THAT(previous, ::testing::HasSubstr("Menu=" + std::string(KeyName(menu)) + "\n"));
  }
}

TEST_F(SettingsFileTest, SpeedsAreWrittenWithAPointUnderALocaleWithADecimalComma) {
  LoadSettings();
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine (LOCPATH=" << (std::getenv("LOCPATH") ?: "")
                 << ")";
  }
  char comma[16];
  std::snprintf(comma, sizeof comma, "%g", 12.75);
  Config.GearSpeeds = {12.75F, 0.2778F, 1e6F, 1.5e-5F, 9999.0F};
  const ConfigRecord saved = Config;
  SaveSettings();
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_STREQ(comma, "12,75");  // the locale really writes a comma
  EXPECT_THAT(ReadFile(file),
              ::testing::HasSubstr("Gear1=12.75\nGear2=0.2778\nGear3=1e+06\nGear4=1.5e-05\n"));
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_TRUE(SameRecord(Config, saved));
}

}  // namespace

namespace {

TEST_F(SettingsFileTest, ATemporaryTheDiskWillNotTakeWholeCostsNothingAndIsNeverFollowedByAnInPlaceWrite) {
  using Fault = sim::Environment::TemporaryFault;
  const std::string mine = "; mine\nMenu=F5\nEngine=H\n";
  for (const Fault fault : {Fault::Write, Fault::Flush, Fault::Close}) {
    SCOPED_TRACE(static_cast<int>(fault));
    WriteFile(file, mine);
    const ino_t original = Identity(file);
    LoadText(mine);
    Config.GearSystem = false;
    host.environment.temporaryFault = fault;
    EXPECT_FALSE(SaveSettings());
    host.environment.temporaryFault = Fault::None;
    EXPECT_EQ(ReadFile(file), mine);
    EXPECT_EQ(Identity(file), original);
    EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
  }
}

TEST_F(SettingsFileTest, AShortWriteThatNoFlushNoticesIsNeverCountedAsWritten) {
  // No temporary can be made (a folder in its place), so the file is
  // written in place; its one write falls short, and the flush after it
  // finds nothing wrong.
  const std::string mine = "; mine\nMenu=F5\nEngine=H\n";
  WriteFile(file, mine);
  LoadText(mine);
  Config.GearSystem = false;
  std::filesystem::create_directory(TemporaryOf(folder / "Halvane.ini"));
  host.environment.shortWrites = 1;
  EXPECT_FALSE(SaveSettings());
  EXPECT_EQ(host.environment.shortWrites, 0);
  EXPECT_EQ(ReadFile(file), mine);
  // The next save, with the disk well again, writes the change whole.
  EXPECT_TRUE(SaveSettings());
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("GearSystem=0\n"));
}

}  // namespace

namespace {

TEST_F(SettingsFileTest, AFileThatOnlySeemsMissingIsNeverReplacedNorEmptied) {
  const std::string mine = "; mine\nMenu=F5\nEngine=H\n";
  // At start-up the read finds "no file": the first file is made only where
  // none is, so the player's is read after all.
  WriteFile(file, mine);
  host.environment.missingOpens = 1;
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Config.Menu, 116);
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));

  // A save that must write in place (the replace refused) and whose read
  // finds "no file" leaves the file as it is and says it failed.
  Config.GearSystem = false;
  host.environment.replaceFails = true;
  host.environment.missingOpens = 1;
  EXPECT_FALSE(SaveSettings());
  EXPECT_EQ(ReadFile(file), mine);
  host.environment.replaceFails = false;

  // A file that is really missing is made, with the settings in force.
  std::filesystem::remove(file);
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_EQ(ReadFile(file), DefaultFile());
}

}  // namespace

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
