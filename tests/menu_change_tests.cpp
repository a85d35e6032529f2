// Playthroughs of changes in the menu: gear speed limits, No Limit, saves that
// fail, and a file read at last.
#include "MenuPlaythrough.h"

namespace {

TEST_F(MenuTest, LoweringGearTwoThirtyTimesStopsOneStepAboveGearOne) {
  GoToGearSpeeds();
  Tap(Down);
  for (int press = 0; press < 30; ++press) {
    const ino_t before = FileIdentity();
    Tap(Left);
    ASSERT_NE(FileIdentity(), before) << "press " << press;  // rewritten every time
  }
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=9.9978\nGear3=26.39\n"));
  EXPECT_EQ(ValueOf("Gear 2"), "~y~10.00 ~w~m/s  ~c~22 mph");
  Hold(Right);
  Frame();
  Frame();  // one step per press
  EXPECT_THAT(File(), HasSubstr("Gear2=10.2755995\n"));
}

TEST_F(MenuTest, AKeyHeldActsOnceWhateverEndsThePass) {
  GoToGearSpeeds();
  const auto saves = [&] {
    return std::count_if(host.fileLog.begin(), host.fileLog.end(),
                         [](const std::string& entry) { return entry.starts_with("move "); });
  };
  const auto before = saves();
  // The sound after each change throws: those passes end there.
  host.throwingNative = sim::native::PlayFrontendSound;
  Hold(Right);
  Frame();
  Frame();
  Frame();
  host.throwingNative = 0;
  Frame();
  Release(Right);
  Frame();
  EXPECT_THAT(File(), HasSubstr("Gear1=9.9978\n"));  // one step
  EXPECT_EQ(saves(), before + 1);
  // Down taken while a pass threw moves the marker once.
  host.throwingNative = sim::native::PlayFrontendSound;
  Hold(Down);
  Frame();
  Frame();
  host.throwingNative = 0;
  Frame();
  Release(Down);
  Tap(Right);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.9978\nGear2=18.3378\n"));
}

TEST_F(MenuTest, ASaveThatFailsIsToldOncePerOpeningAndTheChangeHolds) {
  constexpr const char* Unsaved = "Halvane.ini could not be saved: changes last until the game closes";
  // A file that cannot be read (a link to itself) is never written.
  std::filesystem::create_symlink("Halvane.ini", host.Folder() / "Halvane.ini");
  Frame();
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved));
  Tap(Enter);
  Tap(Enter);
  MoveTo("Gear Up");
  Tap(Enter);  // a capture
  Tap('K');
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved, "Key set to: K"));
  Tap(F2);
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));  // the change holds for the run
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved, "Key set to: K", Unsaved));
  EXPECT_TRUE(std::filesystem::is_symlink(host.Folder() / "Halvane.ini"));

  // Once the file can be read and written, a save says nothing.
  std::filesystem::remove(host.Folder() / "Halvane.ini");
  Tap(F2);
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("GearSystem=0\n"));
  EXPECT_EQ(host.game.notifications.size(), 3U);
}

TEST_F(MenuTest, ChangesMadeWhileTheFileCouldNotBeReadStayWhenItCanBe) {
  const std::filesystem::path file = OpenOverAnUnreadableFile();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  MoveTo("Gear Speeds");
  Tap(Enter);
  MoveTo("Gear 2");
  Tap(Right);  // a step up
  Tap(F2);

  // The lock goes: the file's settings apply to the rest, the player's stay.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F5\nEngine=H\nHideAmmoHud=0\nGear1=12.5\nGear2=20\n";
  Open();
  Tap(F5);  // the file's menu key closes it
  EXPECT_EQ(MarkerY(), -1.0F);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  EXPECT_THAT(File(), HasSubstr("Gear1=12.5\nGear2=18.3378\n"));
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));

  // A file nobody changed anything over is left byte for byte.
  host.Unload();
  const std::string mine = "; mine\nMenu=F5\n";
  std::filesystem::remove(file);
  std::filesystem::create_symlink("Halvane.ini", file);
  host.Load();
  Frame();
  std::filesystem::remove(file);
  std::ofstream(file) << mine;
  Tap(F2);
  Frame();
  EXPECT_EQ(File(), mine);
}

TEST_F(MenuTest, GearSpeedRulesKeepTheGearsInOrder) {
  // These run on this program's own copy of the settings record.
  Config = DefaultConfig;
  while (Config.GearSpeeds[2] < DefaultConfig.GearSpeeds[3]) RaiseGearSpeed(3);
  EXPECT_EQ(Config.GearSpeeds[3], Config.GearSpeeds[2] + GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[1], DefaultConfig.GearSpeeds[1]);

  Config.GearSpeeds[0] = 1.2F;
  LowerGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[0], 1.0F);
  LowerGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[0], 1.0F);

  // A limit loaded out of order is put right by the next adjustment of any gear.
  Config = DefaultConfig;
  Config.GearSpeeds[2] = 5.0F;
  LowerGearSpeed(4);
  EXPECT_EQ(Config.GearSpeeds[2], Config.GearSpeeds[1] + GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[3], 34.72F - GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[4], 9999.0F);
}

TEST_F(MenuTest, LeftGivesANoLimitGearAFigureAndNoPressTakesOneAway) {
  std::ofstream(host.Folder() / "Halvane.ini") << "Gear1=inf\nGear3=inf\n";
  Frame();
  GoToGearSpeeds();
  const auto noLimits = [&] {
    return std::count_if(host.game.texts.begin(), host.game.texts.end(),
                         [](const sim::DrawnText& text) { return text.text == "No Limit"; });
  };
  EXPECT_EQ(noLimits(), 2);

  // Right on a No Limit gear changes no limit, and saves as at a floor.
  ino_t before = FileIdentity();
  Tap(Right);
  EXPECT_NE(FileIdentity(), before);
  EXPECT_THAT(File(), HasSubstr("Gear1=inf\nGear2=18.06\nGear3=inf\nGear4=34.72\n"));

  // Left gives gear 1 its default and leaves every other limit alone.
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=18.06\nGear3=inf\nGear4=34.72\n"));
  EXPECT_EQ(noLimits(), 1);
  // Gear 3: one step above gear 2, with gear 4 above it as it was.
  Tap(Down);
  Tap(Down);
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=18.06\nGear3=18.3378\nGear4=34.72\n"));
  EXPECT_EQ(noLimits(), 0);

  // No Limit below a gear never pushes it: lowering gear 2 under a No Limit
  // gear 1 lowers gear 2 alone.
  Config = DefaultConfig;
  Config.GearSpeeds[0] = INFINITY;
  LowerGearSpeed(2);
  EXPECT_EQ(Config.GearSpeeds[1], 18.06F - GearSpeedStep);
  RaiseGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[1], 18.06F - GearSpeedStep);
  EXPECT_TRUE(std::isinf(Config.GearSpeeds[0]));
  // Every gear without a figure: Left gives each its default.
  Config.GearSpeeds = {INFINITY, INFINITY, INFINITY, INFINITY, 9999.0F};
  LowerGearSpeed(3);
  EXPECT_EQ(Config.GearSpeeds[2], DefaultConfig.GearSpeeds[2]);
  EXPECT_TRUE(std::isinf(Config.GearSpeeds[3]));
}

}  // namespace

namespace {

TEST_F(MenuTest, LeftStopsAtTheFloorAndNeverRaisesTheGearItIsPressedOn) {
  // Under a No Limit gear 1, gear 2 stops at the lowest limit, 1 m/s.
  std::ofstream(host.Folder() / "Halvane.ini") << "Gear1=inf\n";
  Frame();
  GoToGearSpeeds();
  Tap(Down);
  for (int press = 0; press < 70; ++press) Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=inf\nGear2=1\n"));
  EXPECT_EQ(ValueOf("Gear 2"), "~y~1.00 ~w~m/s  ~c~2 mph");
  Tap(F2);

  // Raising gear 1 pushes gear 2 only when it reaches it, so the two may
  // end less than a step apart: Left on gear 2 then changes nothing, though
  // the press still saves and sounds.
  std::ofstream(host.Folder() / "Halvane.ini", std::ios::trunc) << "";
  host.Unload();
  host.Load();
  Frame();
  GoToGearSpeeds();
  for (int press = 0; press < 30; ++press) Tap(Right);
  ASSERT_THAT(File(), HasSubstr("Gear1=18.05399\nGear2=18.06\n"));
  const ino_t before = FileIdentity();
  Tap(Down);
  Hold(Left);
  Frame();
  EXPECT_THAT(Sounds(), ElementsAre("NAV_UP_DOWN"));
  Release(Left);
  Frame();
  EXPECT_NE(FileIdentity(), before);
  EXPECT_THAT(File(), HasSubstr("Gear1=18.05399\nGear2=18.06\n"));

  // Left on a No Limit gear above a figure: one step above that figure.
  Config = DefaultConfig;
  Config.GearSpeeds[1] = INFINITY;
  LowerGearSpeed(2);
  EXPECT_EQ(Config.GearSpeeds[1], Config.GearSpeeds[0] + GearSpeedStep);
}

}  // namespace

namespace {

TEST_F(MenuTest, WhatThePlayerSetStaysOverTheFileReadAtLastEvenWhereItIsTheDefault) {
  const std::filesystem::path file = OpenOverAnUnreadableFile();
  // Hide Ammo Counter on, then off again.
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(Enter);
  ASSERT_EQ(ValueOf("Hide Ammo Counter"), "~r~[OFF]");
  // The menu key F2, then F5, then F2 again.
  MoveTo("Menu Key");
  Tap(Enter);
  Tap(F5);
  Tap(Enter);
  Tap(F2);
  ASSERT_EQ(ValueOf("Menu Key"), "[F2]");
  // Gear 1 raised 40 times, which pushes gear 2 to 21.11.
  MoveTo("Gear Speeds");
  Tap(Enter);
  for (int press = 0; press < 40; ++press) Tap(Right);
  ASSERT_EQ(ValueOf("Gear 2"), "~y~21.11 ~w~m/s  ~c~47 mph");
  Tap(F2);

  // The file, read at last, gives what the player did not set; what the
  // player set stays, and pushes nothing it would not have pushed.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F3\nEngine=H\nHideAmmoHud=1\nGear2=50\n";
  Open();
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~r~[OFF]");
  EXPECT_EQ(ValueOf("Menu Key"), "[F2]");
  EXPECT_EQ(ValueOf("Engine Toggle"), "[H]");
  EXPECT_THAT(File(), HasSubstr("Menu=F2\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=0\n"));
  EXPECT_THAT(File(), HasSubstr("Gear1=20.831985\nGear2=50\n"));

  // The same press against a file whose gear 2 lies below the player's
  // gear 1: it is pushed a step above it, as a press would have pushed it.
  host.Unload();
  std::filesystem::remove(file);
  std::filesystem::create_symlink("Halvane.ini", file);
  host.Load();
  Frame();
  GoToGearSpeeds();
  for (int press = 0; press < 40; ++press) Tap(Right);
  Tap(F2);
  std::filesystem::remove(file);
  std::ofstream(file) << "Gear2=15\nGear3=20\n";
  Open();
  EXPECT_THAT(File(), HasSubstr("Gear1=20.831985\nGear2=21.109785\nGear3=21.387585\nGear4=34.72\n"));
}

}  // namespace
