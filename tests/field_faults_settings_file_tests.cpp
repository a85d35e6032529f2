// Faults of the settings file found in the field, each played as a player
// met it: a file read at last, notices posted apart, a file marked
// read-only, another process's temporary.
#include "FieldFaults.h"
#include "MenuPlaythrough.h"
#include "Promises.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const UnsavedNotice = "Halvane.ini could not be saved: changes last until the game closes";

TEST_F(MenuTest, AFileReadAtLastThatCannotBeSavedIsTold) {
  const std::filesystem::path file = OpenOverAnUnreadableFile();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(F2);
  // Readable at last, but marked read-only: what the player set stays, the
  // file stays as it is, and the opening that read it says so.
  std::filesystem::remove(file);
  std::ofstream(file) << "Engine=H\n";
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const std::size_t posted = host.game.notifications.size();
  Open();
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~g~[ON]");
  EXPECT_EQ(ValueOf("Engine Toggle"), "[H]");
  EXPECT_EQ(File(), "Engine=H\n");
  ASSERT_EQ(host.game.notifications.size(), posted + 1);
  EXPECT_EQ(host.game.notifications.back(), UnsavedNotice);
}

TEST_F(MenuTest, EachNoticeOfACaptureIsPostedOnItsOwn) {
  OpenOverAnUnreadableFile();  // no change can be saved
  // The capture's own notice fails to post: the unsaved notice still comes.
  host.throwWhen = [](NativeHash hash, const std::vector<std::uint64_t>& args) {
    return hash == sim::native::AddText &&
           std::string(reinterpret_cast<const char*>(args[0])).starts_with("Key set to");
  };
  MoveTo("Safety Toggle");
  Tap(Enter);
  Tap('K');
  host.throwWhen = nullptr;
  EXPECT_EQ(ValueOf("Safety Toggle"), "[K]");
  ASSERT_FALSE(host.game.notifications.empty());
  EXPECT_EQ(host.game.notifications.back(), UnsavedNotice);

  // An unsaved notice that fails to post is posted at the next change that
  // cannot be saved, in the same opening.
  Tap(F2);
  Open();
  int failures = 1;
  host.throwWhen = [&](NativeHash hash, const std::vector<std::uint64_t>& args) {
    return hash == sim::native::AddText &&
           std::string(reinterpret_cast<const char*>(args[0])) == UnsavedNotice && failures-- > 0;
  };
  const std::size_t posted = host.game.notifications.size();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_EQ(host.game.notifications.size(), posted + 1);  // the failed one, posted empty
  Tap(Enter);
  EXPECT_EQ(host.game.notifications.back(), UnsavedNotice);
}

TEST_F(MenuTest, AFileReadAtLastKeepsWhatThePlayerSetOnEveryPathThatReadsIt) {
  const std::filesystem::path file = OpenOverAnUnreadableFile();
  MoveTo("Menu Key");
  Tap(Enter);
  Tap(F5);
  Tap(F5);  // closed
  // The file is back as Menu=F3, but the retry's first open fails as if it
  // were not there: the first file cannot take its name, and it is read.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F3\nEngine=H\n";
  host.environment.missingOpens = 1;
  Tap(F5);
  ASSERT_TRUE(MarkerY() > 0.0F);
  EXPECT_EQ(ValueOf("Menu Key"), "[F5]");
  EXPECT_EQ(ValueOf("Engine Toggle"), "[H]");
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
}

TEST_F(MenuTest, AReadOnlyFileIsNeverReplacedNorWrittenAndThePlayerIsTold) {
  Restart(host, "Menu=F5\n");
  const std::filesystem::path file = host.Folder() / "Halvane.ini";
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  const ino_t identity = FileIdentity();
  Frame();
  Tap(F5);
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~g~[ON]");  // holds for the run
  ASSERT_FALSE(host.game.notifications.empty());
  EXPECT_EQ(host.game.notifications.back(), UnsavedNotice);
  EXPECT_EQ(File(), "Menu=F5\n");
  EXPECT_EQ(FileIdentity(), identity);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444U);
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(file)));
}

TEST_F(MenuTest, AnotherProcesssTemporaryIsNeverTakenForOurs) {
  Frame();
  // Other game processes on this folder have their temporaries half
  // written, under names of their own (an older Halvane's had no number).
  const std::filesystem::path file = host.Folder() / "Halvane.ini";
  const std::filesystem::path theirs[] = {file.string() + "." + std::to_string(getpid() + 1) + ".tmp",
                                          file.string() + ".tmp"};
  for (const auto& temporary : theirs) std::ofstream(temporary) << "Menu=F9\n";
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  EXPECT_THAT(File(), HasSubstr("Menu=F2\n"));
  for (const auto& temporary : theirs) EXPECT_EQ(promises::ReadWhole(temporary), "Menu=F9\n") << temporary;
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(file)));
}

}  // namespace
