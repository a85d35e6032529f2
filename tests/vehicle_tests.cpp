// Playthroughs of the engine switch, the exit and the gears.
#include "VehiclePlaythrough.h"

namespace {

TEST_F(VehicleTest, AnEngineThatIsOffStaysOffUntilTheBindingSwitchesItOn) {
  const std::int32_t car = GetIn(false);
  Hold('W');
  Frame();
  Frame();
  EXPECT_FALSE(host.game.Vehicle(car).engineRunning);
  EXPECT_TRUE(host.game.Vehicle(car).undriveable);
  EXPECT_TRUE(AcceleratorDisabled());
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 0.0F);

  Hold(EngineKey);
  Frame();
  // Held off instantly first, then switched on with the instantly flag clear.
  const auto v = static_cast<std::uint32_t>(car);
  EXPECT_THAT(EngineCalls(host), ElementsAre(std::pair{SetEngine, std::vector<std::uint64_t>{v, 0, 1, 1}},
                                             std::pair{SetUndriveable, std::vector<std::uint64_t>{v, 1}},
                                             std::pair{SetUndriveable, std::vector<std::uint64_t>{v, 0}},
                                             std::pair{SetEngine, std::vector<std::uint64_t>{v, 1, 0, 0}}));
  EXPECT_FALSE(AcceleratorDisabled());
  Frame();
  Frame();  // held: no second switch
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
  EXPECT_GT(host.game.Vehicle(car).velocity.x, 0.0F);

  Release(EngineKey);
  Frame();
  Hold(EngineKey);
  Frame();
  EXPECT_THAT(EngineCalls(host), ElementsAre(std::pair{SetEngine, std::vector<std::uint64_t>{v, 0, 0, 1}},
                                             std::pair{SetUndriveable, std::vector<std::uint64_t>{v, 1}}));
  EXPECT_TRUE(AcceleratorDisabled());
}

TEST_F(VehicleTest, LeavingWithTheEngineOnLeavesItRunningWhileTheCarExists) {
  const std::int32_t car = GetIn(true);
  Frame();
  Hold('F');
  Frame();
  Release('F');
  EXPECT_EQ(host.game.leaveTaskFlags, 256);
  EXPECT_EQ(host.game.character.vehicle, 0);
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);

  host.game.Vehicle(car).engineRunning = false;  // something stops it while the player is away
  Frame();
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
  const auto v = static_cast<std::uint32_t>(car);
  EXPECT_THAT(EngineCalls(host), ElementsAre(std::pair{SetEngine, std::vector<std::uint64_t>{v, 1, 1, 1}},
                                             std::pair{SetUndriveable, std::vector<std::uint64_t>{v, 0}}));
  Tap(EngineKey);  // on foot the binding does nothing
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);

  host.game.character.dead = true;  // no engine handling for the dead
  Frame();
  EXPECT_THAT(EngineCalls(host), IsEmpty());
  host.game.character.dead = false;

  host.game.Vehicle(car).exists = false;
  Frame();
  EXPECT_THAT(EngineCalls(host), IsEmpty());
}

TEST_F(VehicleTest, ACarLeftSwitchedOffIsStillOffWhenThePlayerReturns) {
  const std::int32_t car = GetIn(true);
  Frame();
  Tap(EngineKey);  // off
  host.game.Enter(0);
  Frame();
  host.game.Vehicle(car).engineRunning = true;  // someone started it
  host.game.Enter(car);
  Frame();
  EXPECT_FALSE(host.game.Vehicle(car).engineRunning);
  EXPECT_TRUE(AcceleratorDisabled());

  // Straight into another car: its engine state is read afresh, the gear kept.
  Tap(GearUpKey);
  const std::int32_t other = host.game.SpawnVehicle(true);
  host.game.Enter(other);
  Frame();
  EXPECT_TRUE(host.game.Vehicle(other).engineRunning);
  EXPECT_FALSE(AcceleratorDisabled());
  EXPECT_EQ(ShownGear(), 2);
}

TEST_F(VehicleTest, AStalledEngineIsRestartedOnlyAfterThreeSecondsAcrossTheClockWrap) {
  const std::int32_t car = GetIn(false);
  host.input.tick = 0xFFFFF800;
  Frame(0);
  Hold(EngineKey);
  Frame(0);  // on at 0xFFFFF800
  Release(EngineKey);
  host.game.Vehicle(car).engineRunning = false;
  Frame(3000);
  EXPECT_FALSE(host.game.Vehicle(car).engineRunning);
  Frame(1);
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
  const auto v = static_cast<std::uint32_t>(car);
  EXPECT_THAT(EngineCalls(host), ElementsAre(std::pair{SetEngine, std::vector<std::uint64_t>{v, 1, 1, 1}},
                                             std::pair{SetUndriveable, std::vector<std::uint64_t>{v, 0}}));
}

TEST_F(VehicleTest, WithNoSwitchOnYetAStallIsRecoveredAtOnceEvenJustAfterTheWrap) {
  host.input.tick = 40;  // the counter has just wrapped
  const std::int32_t car = GetIn(true);
  Frame();
  host.game.Vehicle(car).engineRunning = false;
  Frame();
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");  // getting in is the banner's event
}

TEST_F(VehicleTest, GearsShiftOncePerPressBetweenOneAndFive) {
  GetIn(true);
  Frame();
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");
  Tap(GearDownKey);
  EXPECT_EQ(ShownGear(), 1);

  Hold(GearUpKey);
  Frame();
  EXPECT_EQ(TimesPlayed(GearShiftClip), 1);
  Frame();
  EXPECT_EQ(TimesPlayed(GearShiftClip), 0);
  EXPECT_EQ(ShownGear(), 2);
  EXPECT_EQ(Banner(), "~o~GEAR 2  ~w~| Max ~y~40 mph");
  Release(GearUpKey);
  for (int i = 0; i < 5; ++i) Tap(GearUpKey);
  EXPECT_EQ(ShownGear(), 5);
  EXPECT_EQ(Banner(), "~b~GEAR 5  ~w~| No Limit");

  Hold(GearUpKey);  // both on one pass: at 5 only the shift down acts
  Hold(GearDownKey);
  Frame(2000);
  EXPECT_EQ(TimesPlayed(GearShiftClip), 1);
  EXPECT_EQ(ShownGear(), 4);
  Release(GearUpKey);
  Release(GearDownKey);
  Frame();
  Hold(GearUpKey);  // below 5: up and down again, two clicks, the banner anew
  Hold(GearDownKey);
  Frame(2000);
  EXPECT_EQ(TimesPlayed(GearShiftClip), 2);
  EXPECT_EQ(ShownGear(), 4);
  EXPECT_EQ(Banner(), "~g~GEAR 4  ~w~| Max ~y~77 mph");
}

TEST_F(VehicleTest, GettingOutAndBackInStartsAgainInGearOne) {
  const std::int32_t car = GetIn(true);
  Frame();
  Tap(GearUpKey);
  Tap(GearUpKey);
  ASSERT_EQ(ShownGear(), 3);
  Tap(sim::game_key::LeaveVehicle);  // out, the engine left running
  Frame();
  ASSERT_EQ(host.game.character.vehicle, 0);
  host.game.Enter(car);
  Frame(2000);
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);
}

TEST_F(VehicleTest, EachGearHasItsSlotColourAndLabel) {
  struct Shown {
    const char* banner;
    float x, y;
    std::vector<std::int32_t> rim;
  };
  const Shown gears[] = {
      {"~r~GEAR 1  ~w~| Max ~y~21 mph", 0.922F, 0.806F, {255, 80, 80, 230}},
      {"~o~GEAR 2  ~w~| Max ~y~40 mph", 0.922F, 0.878F, {255, 160, 60, 230}},
      {"~y~GEAR 3  ~w~| Max ~y~59 mph", 0.946F, 0.806F, {255, 220, 60, 230}},
      {"~g~GEAR 4  ~w~| Max ~y~77 mph", 0.946F, 0.878F, {80, 220, 120, 230}},
      {"~b~GEAR 5  ~w~| No Limit", 0.970F, 0.806F, {180, 200, 255, 230}},
  };
  GetIn(true);
  Frame();
  for (int gear = 1; gear <= 5; ++gear) {
    SCOPED_TRACE(gear);
    if (gear > 1) Tap(GearUpKey);
    const Shown& shown = gears[gear - 1];
    EXPECT_EQ(ShownGear(), gear);
    EXPECT_EQ(Banner(), shown.banner);
    const auto& rects = host.game.rects;
    ASSERT_EQ(rects.size(), 4U + 18U + 36U + 4U);
    EXPECT_EQ(rects[4].x, shown.x);  // the knob's body sits in the gear's slot
    EXPECT_NEAR(rects[4].y - rects[4].height / 2, shown.y - 0.014F, 2e-4);
    for (std::size_t i = 22; i < 58; ++i) EXPECT_THAT(rects[i].colour, ElementsAreArray(shown.rim)) << i;
  }
}

TEST_F(VehicleTest, TheBannerShowsFor1499MillisecondsAfterGettingIn) {
  host.game.Enter(0);
  Frame();
  GetIn(true);
  Frame(0);
  EXPECT_FALSE(Banner().empty());
  Frame(1499);
  EXPECT_FALSE(Banner().empty());
  Frame(1);
  EXPECT_TRUE(Banner().empty());
  EXPECT_EQ(ShownGear(), 1);
}

}  // namespace
