// Playthroughs of the switch rows, and of settings files the menu meets that
// cannot be read or are far too large.
#include "MenuPlaythrough.h"

namespace {

TEST_F(MenuTest, TheSwitchRowsToggleAndSave) {
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  EXPECT_THAT(Sounds(), IsEmpty());  // the Select sound played on the press
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~g~[ON]");
  Tap(F2);
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));

  // Gear System off keeps the gear; back on puts it in gear 1.
  const std::int32_t car = host.game.SpawnVehicle(true);
  host.game.Enter(car);
  Frame();
  Tap('3');
  Tap('3');
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("GearSystem=0\n"));
  Tap(F2);
  EXPECT_THAT(host.game.rects, IsEmpty());
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  Tap(F2);
  bool gearOneShown = false;
  for (const auto& text : host.game.texts) gearOneShown |= text.text == "1" && text.style.scaleX == 0.5F;
  EXPECT_TRUE(gearOneShown);
}

TEST_F(MenuTest, AFileThatCouldNotBeReadIsNeverWrittenAndIsTriedAgainOnOpening) {
  const auto file = host.Folder() / "Halvane.ini";
  std::filesystem::create_symlink("Halvane.ini", file);  // a name that cannot be read
  Frame();
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(F2);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));  // in force for the run

  // The file can be read now: the next opening reads it, keeps the change
  // made meanwhile and saves the whole record; saving works again.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F5\nEngine=H\nGear1=12.5\n";
  Tap(F2);
  EXPECT_TRUE(MarkerY() > 0.0F);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=0\n"));
  EXPECT_THAT(File(), HasSubstr("Gear1=12.5\n"));
  Tap(F5);
  EXPECT_FALSE(MarkerY() > 0.0F);
}

TEST_F(MenuTest, AHugeSettingsFileIsLeftAloneAndTheGameGoesOn) {
  const auto file = host.Folder() / "Halvane.ini";
  constexpr std::uintmax_t Size = 12ULL << 30;  // 12 GiB, sparse
  { std::ofstream(file) << "Menu=F5\n"; }
  std::filesystem::resize_file(file, Size);
  Frame();
  Open();  // F2: the defaults hold
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(F2);  // tried again on the opening, still too large
  EXPECT_EQ(std::filesystem::file_size(file), Size);
  char start[8] = {};
  std::ifstream(file).read(start, sizeof start);
  EXPECT_EQ(std::string(start, 8), "Menu=F5\n");
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(host.Folder() / "Halvane.ini")));
}

}  // namespace
