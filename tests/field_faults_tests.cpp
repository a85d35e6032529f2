// Faults found in the field, each played as a player met it: the gear floors
// over No Limit gears, notices posted apart, the file read at last, a file
// marked read-only, another process's temporary, the limiter store found
// twice, a table of weapon records that never grows, and weapons lost with
// two records or under the open menu.
#include "ExplorerWorld.h"
#include "MenuPlaythrough.h"
#include "WeaponsPlaythrough.h"
#include "weapons/WeaponTables.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const UnsavedNotice = "Halvane.ini could not be saved: changes last until the game closes";

// The plug-in loaded again over a settings file holding `text`.
void Restart(sim::Host& host, const std::string& text) {
  host.Unload();
  std::ofstream(host.Folder() / "Halvane.ini", std::ios::trunc) << text;
  host.Load();
}

TEST_F(MenuTest, LeftKeepsEveryGearAStepAboveTheNearestGearBelowWithAFigure) {
  // Each of gears 1 to 3 No Limit in turn; Left held to the floor on each
  // gear above it, highest first.
  for (int noLimit = 1; noLimit <= 3; ++noLimit) {
    SCOPED_TRACE("gear " + std::to_string(noLimit) + " No Limit");
    Restart(host, "Gear" + std::to_string(noLimit) + "=inf\n");
    Frame();
    GoToGearSpeeds();
    for (int gear = LimitedGearCount; gear > noLimit; --gear) {
      MoveTo("Gear " + std::to_string(gear));
      for (int press = 0; press < 140; ++press) Tap(Left);
    }
    const std::array<float, 4> limits = promises::FileGearLimits(File());
    EXPECT_TRUE(promises::LimitsAboveFloors(limits));
    // The page shows no speed below 1 m/s, nor a negative one.
    for (int gear = 1; gear <= LimitedGearCount; ++gear)
      EXPECT_THAT(ValueOf("Gear " + std::to_string(gear)), Not(HasSubstr("~y~0.")));
    Tap(F2);
  }
  // Gear 2 No Limit: gear 3 stops a step above gear 1, and in gear 3 the
  // banner says so.
  Restart(host, "Gear2=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 3");
  for (int press = 0; press < 120; ++press) Tap(Left);
  EXPECT_EQ(ValueOf("Gear 3"), "~y~10.00 ~w~m/s  ~c~22 mph");
  EXPECT_THAT(File(), HasSubstr("Gear3=9.9978\n"));
}

TEST_F(MenuTest, ASpeedOfTenThousandAndMoreIsSavedAsThePageShowsIt) {
  Restart(host, "Gear1=12345.6\nGear2=100000\nGear3=100005\nGear4=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 3");
  for (int press = 0; press < 40; ++press) Tap(Left);
  MoveTo("Gear 1");
  Tap(Right);
  Tap(F2);
  EXPECT_THAT(File(), HasSubstr("Gear1=12345.877\nGear2=100000\nGear3=100000.28\nGear4=inf\n"));
  EXPECT_TRUE(promises::LimitsAboveFloors(promises::FileGearLimits(File())));
  // Read again, the page shows what it showed before.
  Restart(host, File());
  Frame();
  GoToGearSpeeds();
  EXPECT_EQ(ValueOf("Gear 3"), "~y~100000.28 ~w~m/s  ~c~223700 mph");
  EXPECT_EQ(ValueOf("Gear 1"), "~y~12345.88 ~w~m/s  ~c~27617 mph");
}

TEST_F(MenuTest, LimitsOfThousandsAndMillionsKeepTheirFloorsThroughTheFileAndEveryPressMovesThem) {
  // A No Limit gear 2 lowered over a gear 1 between hundredths: a start
  // later, gear 2 is still a step above gear 1.
  Restart(host, "Gear1=1000.005\nGear2=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 2");
  Tap(Left);
  Restart(host, File());
  EXPECT_TRUE(promises::LimitsAboveFloors(promises::FileGearLimits(File())));
  // Where a step is too small to change a limit, a press moves it by the
  // least it can move, and a push still keeps gears apart.
  Restart(host, "Gear1=9000000\nGear2=9000001\nGear3=inf\nGear4=inf\n");
  Frame();
  GoToGearSpeeds();
  Tap(Right);
  EXPECT_THAT(File(), HasSubstr("Gear1=9000001\nGear2=9000002\n"));
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000002\n"));
  MoveTo("Gear 2");
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000001\n"));
  Tap(Left);  // at its floor
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000001\n"));
}

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

TEST_F(WeaponsTest, TheLimiterFieldIsWrittenOnlyWhereEveryStoreAgrees) {
  for (const bool agree : {false, true}) {
    SCOPED_TRACE(agree ? "both name 0x8CC" : "0x8CC and 0x1234");
    host.Unload();
    host.environment.mainImage = GameImage({0x8CC, static_cast<std::uint16_t>(agree ? 0x8CC : 0x1234)});
    host.Load();
    Frame();
    const std::int32_t car = host.game.SpawnVehicle(true);
    host.game.Enter(car);
    host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.speedAfterPass, 9.72F);  // the car is pulled back all the same
    float first = 0.0F;
    float second = 0.0F;
    std::memcpy(&first, host.game.Vehicle(car).memory.data() + 0x8CC, sizeof first);
    std::memcpy(&second, host.game.Vehicle(car).memory.data() + 0x1234, sizeof second);
    EXPECT_EQ(first, agree ? 0.6F : 0.0F);
    EXPECT_EQ(second, 0.0F);
  }
}

TEST_F(WeaponsTest, TheWeaponRecordsNeverGrowPastTheirTableAndKeepWhatMatters) {
  // A pistol with its catch on, put away for hundreds of weapons never seen
  // before, each drawn and kept with six in its magazine.
  Arm(Pistol, 12);
  Frame();
  Tap(SafetyKey);
  constexpr std::uint32_t First = 0x70000000;
  constexpr auto Count = static_cast<std::uint32_t>(WeaponRecordCapacity) + 40;
  for (std::uint32_t weapon = First; weapon < First + Count; ++weapon) {
    Arm(weapon, 6);
    Frame();
    ASSERT_EQ(host.pluginAllocations, 0) << "weapon " << weapon - First;
  }
  // Drawn again, the pistol's catch is still on, and a weapon remembered
  // before the table filled gets its magazine back.
  host.game.Draw(Pistol);
  Frame();
  EXPECT_TRUE(FiringBlocked());
  host.game.Draw(First + 10);
  Frame();
  EXPECT_EQ(Held().clip, 6);
  // One remembered weapon taken away makes room once the plug-in has seen it
  // gone: a new weapon is then remembered, its magazine restored on drawing.
  host.game.character.weapons.erase(First + 3);
  for (std::uint32_t pass = 0; pass < Count + 4; ++pass) Frame();
  constexpr std::uint32_t Newest = 0x7F000000;
  Arm(Newest, 12);
  Frame();
  Held().clip = 7;
  host.game.Draw(Pistol);
  Frame();
  host.game.Draw(Newest);
  Frame();
  EXPECT_EQ(Held().clip, 7);
  EXPECT_EQ(host.pluginAllocations, 0);
}

TEST_F(WeaponsTest, AWeaponLostWhilePutAwayComesBackAsTheGameGivesItWithTwoRecordsAndUnderTheMenu) {
  for (const bool underTheMenu : {false, true}) {
    SCOPED_TRACE(underTheMenu ? "taken while the menu is open" : "taken with the menu closed");
    host.Unload();
    host.Load();
    // Two records only: the pistol, held at its last cartridge, and the rifle.
    host.game.character.weapons.clear();
    host.game.GiveWeapon(Rifle, 30, 30, 90);
    Arm(Pistol, 1, 12, 29);
    Frame();
    Frame();
    ASSERT_TRUE(FiringBlocked());
    host.game.Draw(Rifle);
    Frame();
    if (underTheMenu) Tap(0x71);
    host.game.character.weapons.erase(Pistol);
    for (int pass = 0; pass < 4; ++pass) Frame();
    host.game.GiveWeapon(Pistol, 12, 12, 100);
    if (underTheMenu) Tap(0x71);
    host.game.Draw(Pistol);
    Frame();
    EXPECT_EQ(Held().clip, 12);
    EXPECT_FALSE(FiringBlocked());
    EXPECT_FALSE(Drew(EmptyLine));
  }
}

TEST_F(WeaponsTest, ACaughtWeaponGivenBackKeepsItsCatchWhenTheTableFills) {
  Arm(Pistol, 12);
  Frame();
  Tap(SafetyKey);
  Arm(Rifle, 30, 30, 90);
  Frame();
  host.game.character.weapons.erase(Pistol);
  for (int pass = 0; pass < 4; ++pass) Frame();  // asked about, and found gone
  // Given back, not drawn, and at once a new weapon every pass: the check
  // that asks one record a pass never comes back to it in time.
  host.game.GiveWeapon(Pistol, 12, 12, 60);
  for (std::uint32_t weapon = 0x70000000; weapon < 0x70000000 + WeaponRecordCapacity + 8; ++weapon) {
    Arm(weapon, 6);
    Frame();
  }
  host.game.Draw(Pistol);
  Frame();
  EXPECT_TRUE(FiringBlocked()) << "the caught pistol lost its catch";
}

TEST_F(WeaponsTest, AWeaponTakenWhilePutAwayAmongManyComesBackAsTheGameGivesIt) {
  // Four weapons remembered: the lost-weapon check, one a pass, is slower
  // than the game's next draw.
  for (const std::uint32_t weapon : {Rifle, 0x70000001U, 0x70000002U}) {
    Arm(weapon, 5);
    Frame();
  }
  Arm(Pistol, 7);
  Frame();
  host.game.character.weapons.erase(Pistol);
  host.game.Draw(sim::Unarmed);
  Frame();
  host.game.GiveWeapon(Pistol, 12, 12, 100);
  host.game.Draw(Pistol);
  Frame();
  EXPECT_EQ(Held().clip, 12);
}

// The plug-in loaded again, the character holding no weapon and having fired none.
void StartEmptyHanded(sim::Host& host) {
  host.Unload();
  host.Load();
  host.game.character.weapons.clear();
  host.game.shotsFired = 0;
}

// The rounds the character has fired and holds.
long Rounds(const sim::Host& host) {
  long rounds = host.game.shotsFired;
  for (const auto& [hash, weapon] : host.game.character.weapons) rounds += weapon.total;
  return rounds;
}

TEST_F(WeaponsTest, OneWrongTotalOnThePassAMagazineIsHeldNeitherGivesNorTakesRounds) {
  // A pistol of 3 with 60 in all, fired to its last cartridge; on the pass
  // that finds it there the total read fails or lies once.
  enum class Wrong { Throws, Negative, Zero, Million };
  for (const Wrong wrong : {Wrong::Throws, Wrong::Negative, Wrong::Zero, Wrong::Million}) {
    SCOPED_TRACE(static_cast<int>(wrong));
    StartEmptyHanded(host);
    Arm(Pistol, 3, 12, 60);
    Frame();
    Hold(Trigger);
    Frame();
    Frame();
    ASSERT_EQ(Held().clip, 1);
    bool once = true;
    host.throwWhen = [&](NativeHash hash, const std::vector<std::uint64_t>&) {
      return wrong == Wrong::Throws && hash == sim::native::GetTotalAmmo && std::exchange(once, false);
    };
    host.lie = [&](NativeHash hash, sim::Invocation& call) {
      if (hash != sim::native::GetTotalAmmo || !std::exchange(once, false)) return;
      call.Return(wrong == Wrong::Negative ? -5 : wrong == Wrong::Zero ? 0 : 1000000);
    };
    for (int pass = 0; pass < 6; ++pass) Frame();
    EXPECT_EQ(Rounds(host), 60);
    EXPECT_EQ(Held().total, 58);
    // A pickup while held is taken back to what the game answered.
    Held().total += 30;
    Frame();
    EXPECT_EQ(Held().total, 58);
    host.throwWhen = nullptr;
    host.lie = nullptr;
  }
}

TEST_F(WeaponsTest, AHeldWeaponWhoseLastCartridgeWentIsNotRefilledWhenDrawnAgain) {
  // The block fails for one pass and the last cartridge goes.
  Arm(Pistol, 1, 12, 60);
  Frame();
  Frame();
  Hold(Trigger);
  host.throwWhen = [](NativeHash hash, const std::vector<std::uint64_t>&) {
    return hash == sim::native::DisableControl;
  };
  Frame();
  host.throwWhen = nullptr;
  ASSERT_EQ(host.game.shotsFired, 1);
  host.game.Draw(sim::Unarmed);
  Frame();
  host.game.Draw(Pistol);
  for (int pass = 0; pass < 4; ++pass) Frame();
  EXPECT_EQ(Rounds(host), 60) << "a round from nothing";
  EXPECT_EQ(host.game.shotsFired, 1);

  // The weapon read answering 0 on every other pass, the trigger held: the
  // pistol may fire on the lying passes, never from a refill.
  StartEmptyHanded(host);
  Arm(Pistol, 1, 12, 5);
  Frame();
  Frame();
  host.lie = [&](NativeHash hash, sim::Invocation& call) {
    if (hash == sim::native::CurrentWeapon && host.frameNumber % 2 == 0) *call.Out<std::int32_t>(1) = 0;
  };
  for (int pass = 0; pass < 40; ++pass) {
    Frame();
    ASSERT_LE(Rounds(host), 5) << "pass " << pass;
  }
  EXPECT_LE(host.game.shotsFired, 1);
}

}  // namespace

// Two lies of a held total on passes that are not running: across a put
// away, across the open menu, or one too large after the game's total fell.
TEST(HeldTotalTest, AnswersOnPassesApartNeverMoveTheRounds) {
  struct Case {
    const char* name;
    void (*between)(explore::World&);
    std::int32_t lie;
  };
  const Case cases[] = {
      {"put away and drawn again",
       [](explore::World& world) {
         world.host.game.Draw(explore::Rifle);
         for (int pass = 0; pass < 30; ++pass) world.Frame();
         world.host.game.Draw(explore::Pistol);
       },
       0},
      {"the menu opened and closed",
       [](explore::World& world) {
         world.Tap(explore::key::Menu);
         for (int pass = 0; pass < 20; ++pass) world.Frame();
         world.Hold(explore::key::Menu);
       },
       0},
      {"its total taken while put away",
       [](explore::World& world) {
         world.host.game.Draw(explore::Rifle);
         world.Frame();
         world.host.game.Weapon(explore::Pistol).total = 30;
         world.host.game.Draw(explore::Pistol);
         world.host.game.Weapon(explore::Pistol).clip = 1;
         world.Frame();
       },
       1000},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    explore::World world;
    world.Arm(explore::Rifle, 30, 90);
    world.Arm(explore::Pistol, 2, 60);
    world.Frame();
    world.Tap(explore::key::Trigger);  // one shot: held at the last cartridge, 59 in all
    world.Frame();
    ASSERT_EQ(world.host.game.Weapon(explore::Pistol).total, 59);
    bool lying = false;
    world.host.lie = [&](NativeHash hash, sim::Invocation& call) {
      if (lying && hash == sim::native::GetTotalAmmo) call.Return(test.lie);
    };
    const long before = promises::TakeWeaponBefore(world.host).rounds;
    if (test.lie == 0) {
      lying = true;
      world.Frame();
      lying = false;
    }
    test.between(world);
    const long after = promises::TakeWeaponBefore(world.host).rounds;
    lying = true;
    world.Frame();
    lying = false;
    world.host.input.keys = {};
    for (int pass = 0; pass < 3; ++pass) world.Frame();
    EXPECT_TRUE(promises::RoundsKept(world.host, after));
    if (test.lie == 0) {
      EXPECT_EQ(promises::TakeWeaponBefore(world.host).rounds, before);
    }
  }
}
