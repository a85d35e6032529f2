// Saving the settings file with every file call watched: a crash right after
// any of them, over every shape of file (longer and shorter, longer than any
// buffer, a link, a second name, a failing cut), and another process saving
// in place at each.
#include "SettingsFilePlaythrough.h"

namespace {

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

}  // namespace
