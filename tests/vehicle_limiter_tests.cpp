// Playthroughs of the limiter, a passenger's seat, and limits from the file.
#include "VehiclePlaythrough.h"

namespace {

TEST_F(VehicleTest, NeitherTheBannerNorTheStallDelayComesBackWhenTheCounterComesRound) {
  const std::int32_t car = GetIn(false);
  Frame();
  Tap(EngineKey);  // on: the stall delay starts
  ASSERT_TRUE(host.game.Vehicle(car).engineRunning);
  for (int i = 0; i < 4; ++i) Frame(1U << 30);  // 2^32 ms later the counter reads the same
  Frame(0);
  EXPECT_TRUE(Banner().empty());
  host.game.Vehicle(car).engineRunning = false;
  Frame(16);
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);  // long past the delay: restarted at once
}

TEST_F(VehicleTest, APassengerLeavesTheCarToItsDriver) {
  // A taxi: someone else drives, the player sits behind.
  const std::int32_t taxi = host.game.SpawnVehicle(true);
  host.game.Vehicle(taxi).otherDriver = 0x3001;
  host.game.Enter(taxi, 1);
  for (int frame = 0; frame < 5; ++frame) {
    host.game.Vehicle(taxi).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.Vehicle(taxi).velocity.x, 20.0F);  // no gear holds the driver
    EXPECT_EQ(ShownGear(), 0);
    EXPECT_TRUE(Banner().empty());
    EXPECT_FALSE(AcceleratorDisabled());
  }
  Tap(EngineKey);
  Tap('3');
  EXPECT_TRUE(host.game.Vehicle(taxi).engineRunning);
  EXPECT_EQ(LimiterField(taxi), 0.0F);
  Tap(sim::game_key::LeaveVehicle);  // the game's own exit
  EXPECT_EQ(host.game.character.vehicle, 0);
  host.game.Vehicle(taxi).engineRunning = false;  // the driver stops it
  Frame();
  Frame();
  EXPECT_FALSE(host.game.Vehicle(taxi).engineRunning);  // no engine held for the player
  EXPECT_THAT(EngineCalls(host), ::testing::IsEmpty());

  // The same car at the wheel: gear 1 holds it, and it shows.
  host.game.Vehicle(taxi).otherDriver = 0;
  host.game.Vehicle(taxi).engineRunning = true;
  host.game.Vehicle(taxi).velocity = {};  // taken standing
  host.game.Enter(taxi);
  Frame();
  host.game.Vehicle(taxi).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(taxi).velocity.x, 9.72F);
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");
}

TEST_F(VehicleTest, TheLimiterPullsTheCarBackToTheGearsLimit) {
  const std::int32_t car = GetIn(true);
  Frame();
  host.game.Vehicle(car).velocity = {12.0F, 5.0F, -1.0F};
  Frame();
  const float speed = std::sqrt(144.0F + 25.0F + 1.0F);
  const float k = 9.72F / speed;
  const Vector3 v = host.game.Vehicle(car).velocity;
  EXPECT_EQ(v.x, 12.0F * k);
  EXPECT_EQ(v.y, 5.0F * k);
  EXPECT_EQ(v.z, -1.0F * k);
  EXPECT_EQ(LimiterField(car), 0.6F);
  const auto zeroed = host.CallsTo(sim::native::SetControlValueNextFrame);
  ASSERT_EQ(zeroed.size(), 1U);
  EXPECT_EQ(zeroed[0]->args, (std::vector<std::uint64_t>{0, 71, Bits(0.0F)}));

  // Exactly at the limit: accelerator and field, but the velocity is left alone.
  std::memset(host.game.Vehicle(car).memory.data() + LimiterOffset, 0, 4);
  host.game.Vehicle(car).velocity = {9.72F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);
  EXPECT_EQ(LimiterField(car), 0.6F);
  EXPECT_EQ(host.CallsTo(sim::native::SetControlValueNextFrame).size(), 1U);

  // Below the limit, and in gear 5 at any speed, nothing is done.
  std::memset(host.game.Vehicle(car).memory.data() + LimiterOffset, 0, 4);
  host.game.Vehicle(car).velocity = {9.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(LimiterField(car), 0.0F);
  EXPECT_THAT(host.CallsTo(sim::native::SetControlValueNextFrame), IsEmpty());
  for (int i = 0; i < 4; ++i) Tap(GearUpKey);
  host.game.Vehicle(car).velocity = {90.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(ShownGear(), 5);
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 90.0F);
  EXPECT_THAT(host.CallsTo(sim::native::SetControlValueNextFrame), IsEmpty());

  // Shifting down at speed cuts it on the very next pass.
  Tap(GearDownKey);
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 34.72F);
}

class VehicleSettingsTest : public VehicleTest {
 protected:
  void SetUp() override {
    VehicleTest::SetUp();
    host.Unload();
    std::ofstream(host.Folder() / "Halvane.ini") << Settings();
    host.Load();
  }
  virtual const char* Settings() const = 0;
};

class GearSystemOffTest : public VehicleSettingsTest {
  const char* Settings() const override { return "GearSystem=0\n"; }
};

TEST_F(GearSystemOffTest, NoLimitNoIndicatorAndTheGearKeysDoNothing) {
  const std::int32_t car = GetIn(true);
  Frame();  // got in standing
  host.game.Vehicle(car).velocity = {40.0F, 0.0F, 0.0F};
  Frame();
  Tap(GearUpKey);
  EXPECT_THAT(host.game.texts, IsEmpty());
  EXPECT_THAT(host.game.rects, IsEmpty());
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 40.0F);
  EXPECT_EQ(TimesPlayed(GearShiftClip), 0);
}

class BadLimitTest : public VehicleSettingsTest {
  const char* Settings() const override { return "Gear1=-5\nGear2=inf\nGear3=0\nGear4=-inf\n"; }
};

TEST_F(BadLimitTest, ALimitThatIsNoPositiveNumberKeepsItsDefaultAndInfinityLimitsNothing) {
  // A car doing 10 m/s backwards is held at gear 1's 9.72, still backwards.
  const std::int32_t car = GetIn(true);
  Frame();  // got in standing
  host.game.Vehicle(car).velocity = {-10.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, -9.72F);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");

  host.game.Vehicle(car).velocity = {40.0F, 0.0F, 0.0F};
  Tap(GearUpKey);
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 40.0F);
  EXPECT_EQ(Banner(), "~o~GEAR 2  ~w~| No Limit");

  // From standstill, in gear 3 (zero in the file) and in gear 4 (minus
  // infinity), the car pulls away and its velocity stays a number.
  for (int gear = 3; gear <= 4; ++gear) {
    SCOPED_TRACE(gear);
    host.game.Vehicle(car).velocity = {0.0F, 0.0F, 0.0F};
    Tap(GearUpKey);
    EXPECT_EQ(host.game.Vehicle(car).velocity.x, 0.0F);
    Hold(sim::game_key::Accelerate);
    Frame();
    Frame();
    Release(sim::game_key::Accelerate);
    EXPECT_GT(host.game.Vehicle(car).velocity.x, 0.0F);
    EXPECT_FALSE(AcceleratorDisabled());
  }
}

TEST(GearDisplay, MilesPerHourTruncateAndStayInRange) {
  EXPECT_EQ(MilesPerHour(9.72F), 21);
  EXPECT_EQ(MilesPerHour(18.06F), 40);
  EXPECT_EQ(MilesPerHour(26.39F), 59);
  EXPECT_EQ(MilesPerHour(34.72F), 77);
  EXPECT_EQ(MilesPerHour(-1.0F), -2);
  // The last floats inside the integer range, and the first outside it.
  EXPECT_EQ(MilesPerHour(2147483520.0F / 2.237F), 2147483520);
  EXPECT_EQ(MilesPerHour(2147483648.0F / 2.237F), std::nullopt);
  EXPECT_EQ(MilesPerHour(-2147483648.0F / 2.237F), std::numeric_limits<std::int32_t>::min());
  for (float none : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                     -std::numeric_limits<float>::infinity(), 3.4e38F, -3.4e38F}) {
    EXPECT_EQ(MilesPerHour(none), std::nullopt) << none;
  }
}

}  // namespace
