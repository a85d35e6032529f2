// Saving the settings file: a full disk, a stale temporary, every save a
// replace, speeds under a comma locale, a temporary the disk will not take
// whole, a short write, a file that only seems missing. A crash at any file
// call is in config_save_crash_tests.cpp; links, permission bits and the
// temporaries of ended processes in config_save_links_tests.cpp.
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
