// Playthroughs of the engine switch, the exit, the gears and the limiter,
// and the gear display's drawing.
#include "Playthrough.h"
#include "feedback/Sound.h"
#include "platform/ImageScan.h"
#include "vehicle/Gear.h"
#include "vehicle/GearDisplay.h"

#include <gmock/gmock.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

using sim::native::SetEngine;
using sim::native::SetUndriveable;
constexpr KeyCode EngineKey = 'G';
constexpr KeyCode GearUpKey = '3';
constexpr KeyCode GearDownKey = '1';
constexpr std::uint32_t LimiterOffset = 0x8CC;

std::uint64_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// The engine and drivability calls of the last frame, as (hash, args).
std::vector<std::pair<NativeHash, std::vector<std::uint64_t>>> EngineCalls(const sim::Host& host) {
  std::vector<std::pair<NativeHash, std::vector<std::uint64_t>>> calls;
  for (const auto& call : host.frameCalls) {
    if (call.hash == SetEngine || call.hash == SetUndriveable) calls.emplace_back(call.hash, call.args);
  }
  return calls;
}

class VehicleTest : public Playthrough {
 protected:
  // The game image the plug-in searches at start-up holds the limiter
  // store once, with its field offset.
  void SetUp() override {
    std::vector<std::uint8_t> image(64 * 1024, 0x90);
    const std::uint8_t code[] = {
        0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83, LimiterOffset & 0xFF, LimiterOffset >> 8,
        0,    0};
    std::memcpy(image.data() + 40000, code, sizeof code);
    host.environment.mainImage = image;
    Playthrough::SetUp();
  }
  std::int32_t GetIn(bool engineRunning) {
    const std::int32_t vehicle = host.game.SpawnVehicle(engineRunning);
    host.game.Enter(vehicle);
    return vehicle;
  }
  float LimiterField(std::int32_t vehicle) {
    float value;
    std::memcpy(&value, host.game.Vehicle(vehicle).memory.data() + LimiterOffset, sizeof value);
    return value;
  }
  // The gear the indicator shows selected this frame, 0 when none is drawn.
  int ShownGear() const {
    for (const sim::DrawnText& text : host.game.texts) {
      if (text.style.font == 4 && text.style.scaleX == 0.5F) return std::stoi(text.text);
    }
    return 0;
  }
  std::string Banner() const {
    for (const sim::DrawnText& text : host.game.texts) {
      if (text.y == 0.915F) return text.text;
    }
    return "";
  }
  bool AcceleratorDisabled() const {
    const auto& disabled = host.game.disabledControls;
    return std::find(disabled.begin(), disabled.end(), 71) != disabled.end();
  }
};

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
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame(2000);
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");
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

using GearIndicatorTest = Playthrough;

TEST_F(GearIndicatorTest, TheGateTheKnobAndFiveLabels) {
  host.RunScript([] { DrawGearIndicator(3); });
  const auto& rects = host.game.rects;
  ASSERT_EQ(rects.size(), 4U + 18U + 36U + 4U);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_THAT(rects[i].colour, ElementsAre(220, 220, 220, 230));
  EXPECT_EQ(rects[3].width, 0.051F);

  // Body: shaded from 79 at the top down to 50, centred on the slot of gear 3.
  EXPECT_THAT(rects[4].colour, ElementsAre(79, 79, 79, 248));
  EXPECT_THAT(rects[21].colour, ElementsAre(50, 50, 50, 248));
  for (std::size_t i = 4; i < 22; ++i) EXPECT_EQ(rects[i].x, 0.946F);
  // Rim: two yellow side pieces per strip, mirrored about the centre.
  for (std::size_t i = 22; i < 58; i += 2) {
    EXPECT_THAT(rects[i].colour, ElementsAre(255, 220, 60, 230));
    EXPECT_NEAR(rects[i].x + rects[i + 1].x, 2 * 0.946F, 1e-6);
    EXPECT_EQ(rects[i].width, rects[i + 1].width);
    EXPECT_LT(rects[i].x, 0.946F);
  }
  // Highlight: four faint strips fading downward.
  std::vector<std::int32_t> alphas;
  for (std::size_t i = 58; i < 62; ++i) alphas.push_back(rects[i].colour[3]);
  EXPECT_THAT(alphas, ElementsAre(15, 11, 6, 1));
  // The strips cover the body from top to bottom without gaps.
  EXPECT_NEAR(rects[4].y - rects[4].height / 2, 0.806F - 0.014F, 2e-4);
  EXPECT_NEAR(rects[21].y + rects[21].height / 2, 0.806F + 0.014F, 2e-4);

  const auto& labels = host.game.texts;
  ASSERT_EQ(labels.size(), 5U);
  const float x[] = {0.922F, 0.922F, 0.946F, 0.946F, 0.970F};
  const float y[] = {0.806F - 0.046F, 0.878F + 0.024F, 0.806F - 0.046F, 0.878F + 0.024F, 0.806F - 0.046F};
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(labels[n].text, std::to_string(n + 1));
    EXPECT_EQ(labels[n].style.font, 4);
    EXPECT_TRUE(labels[n].style.centred);
    EXPECT_EQ(labels[n].x, x[n]);
    EXPECT_EQ(labels[n].y, y[n]);
    EXPECT_EQ(labels[n].style.scaleX, n == 2 ? 0.5F : 0.38F);
    EXPECT_EQ(labels[n].style.colour[3], n == 2 ? 255 : 140);
  }
}

TEST_F(GearIndicatorTest, TheIndicatorsKnobsAreTheKnobsWorkedOutNow) {
  // The indicator's knobs are shaped by the compiler; shaping them while the
  // game runs must give the very same rectangles, bit for bit.
  const float slots[5][2] = {
      {0.922F, 0.806F}, {0.922F, 0.878F}, {0.946F, 0.806F}, {0.946F, 0.878F}, {0.970F, 0.806F}};
  for (int gear = 1; gear <= 5; ++gear) {
    host.RunScript([gear] { DrawGearIndicator(gear); });
    const std::vector<sim::DrawnRect> indicator(host.game.rects.begin() + 4, host.game.rects.end());
    host.RunScript([&] { DrawGearKnob(slots[gear - 1][0], slots[gear - 1][1], 0.014F, 0.5625F, gear); });
    ASSERT_EQ(indicator.size(), host.game.rects.size()) << "gear " << gear;
    for (std::size_t i = 0; i < indicator.size(); ++i) {
      const sim::DrawnRect& now = host.game.rects[i];
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].x), std::bit_cast<std::uint32_t>(now.x));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].y), std::bit_cast<std::uint32_t>(now.y));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].width), std::bit_cast<std::uint32_t>(now.width));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].height), std::bit_cast<std::uint32_t>(now.height));
      EXPECT_EQ(indicator[i].colour, now.colour);
    }
  }
}

TEST_F(GearIndicatorTest, AKnobOfAnotherKindHasAGreyRim) {
  host.RunScript([] { DrawGearKnob(0.5F, 0.5F, 0.014F, 0.5625F, 9); });
  ASSERT_EQ(host.game.rects.size(), 18U + 36U + 4U);
  EXPECT_THAT(host.game.rects[18].colour, ElementsAre(180, 180, 180, 230));
}

// The search the plug-in must reproduce exactly: every start from the first,
// while start + length is below the image's end.
const std::uint8_t* PlainScan(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask) {
  const std::size_t n = std::strlen(mask);
  if (image.size() <= n) return nullptr;
  for (std::size_t p = 0; p + n < image.size(); ++p) {
    bool all = true;
    for (std::size_t i = 0; i < n && all; ++i) all = mask[i] != 'x' || image[p + i] == pattern[i];
    if (all) return image.data() + p;
  }
  return nullptr;
}

TEST(LimiterScan, FindsWhatThePlainSearchFinds) {
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    // Small alphabets make partial and overlapping matches common.
    const int alphabet = 2 + static_cast<int>(random() % 4);
    std::vector<std::uint8_t> image(random() % 200);
    for (auto& byte : image)
      byte = static_cast<std::uint8_t>(0x0F + random() % static_cast<unsigned>(alphabet));
    const std::size_t length = 1 + random() % 10;
    std::vector<std::uint8_t> pattern(length);
    std::string mask(length, 'x');
    for (std::size_t i = 0; i < length; ++i) {
      pattern[i] = static_cast<std::uint8_t>(0x0F + random() % static_cast<unsigned>(alphabet));
      if (random() % 4 == 0) mask[i] = '?';
    }
    // Plant the pattern at the very start or at the last positions now and then.
    if (!image.empty() && image.size() > length && random() % 3 == 0) {
      const std::size_t at = random() % 2 == 0 ? 0 : image.size() - length - random() % 2;
      std::copy(pattern.begin(), pattern.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ASSERT_EQ(ScanImage(image, pattern.data(), mask.c_str()), PlainScan(image, pattern.data(), mask.c_str()))
        << "round " << round << " mask " << mask;
  }

  // A match that ends on the image's last byte is outside the search.
  const std::uint8_t tail[] = {0x90, 0x76, 0x03};
  const std::uint8_t pattern[] = {0x76, 0x03};
  EXPECT_EQ(ScanImage(tail, pattern, "xx"), nullptr);
  EXPECT_EQ(ScanImage(tail, pattern, "??"), tail);
  EXPECT_EQ(ScanImage({tail, 2}, pattern, "??"), nullptr);
}

// The limiter store with the given displacement, at `at` in an image of
// `size` bytes of padding.
std::vector<std::uint8_t> ImageWithStore(std::size_t size, std::size_t at, std::uint32_t displacement) {
  std::vector<std::uint8_t> image(size, 0x90);
  const std::uint8_t code[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
  std::memcpy(image.data() + at, code, sizeof code);
  std::memcpy(image.data() + at + sizeof code, &displacement, sizeof displacement);
  return image;
}

TEST_F(VehicleTest, AFieldOffsetOf64KiBOrMoreIsNoField) {
  const auto fieldAfterLimiting = [&](std::uint32_t displacement) {
    host.Unload();
    host.environment.mainImage = ImageWithStore(64 * 1024, 40000, displacement);
    host.Load();
    const std::int32_t car = GetIn(true);
    host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);  // the limiter itself still works
    float value;
    std::memcpy(&value, host.game.Vehicle(car).memory.data() + (displacement & 0xFFFF), sizeof value);
    return value;
  };
  EXPECT_EQ(fieldAfterLimiting(0xFFFF), 0.6F);
  EXPECT_EQ(fieldAfterLimiting(0x10000), 0.0F);  // would write past the object
  EXPECT_EQ(fieldAfterLimiting(0xFFFFFFF0), 0.0F);
}

TEST_F(VehicleTest, TheScanReadsOnlyPagesThatCanBeRead) {
  // Pages closed to reading before the store: skipped, not touched (touching
  // one ends the process), and the store behind them is found.
  host.Unload();
  host.environment.mainImage = ImageWithStore(6 * sim::PageSize, 4 * sim::PageSize + 100, LimiterOffset);
  host.environment.noAccessPages = {1, 2};
  host.Load();
  const std::int32_t car = GetIn(true);
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(LimiterField(car), 0.6F);

  // A store whose displacement runs into a closed page, or one that starts
  // in the last page, which is closed: not found, and nothing crashes.
  for (const std::size_t at : {2 * sim::PageSize - 12, 6 * sim::PageSize - 40}) {
    SCOPED_TRACE(at);
    host.Unload();
    host.environment.mainImage = ImageWithStore(6 * sim::PageSize, at, LimiterOffset);
    host.environment.noAccessPages = {2, 5};
    host.Load();
    const std::int32_t other = GetIn(true);
    host.game.Vehicle(other).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.Vehicle(other).velocity.x, 9.72F);
    EXPECT_EQ(LimiterField(other), 0.0F);
  }
}

TEST_F(VehicleTest, WithoutThePatternTheLimiterWorksButWritesNoField) {
  host.Unload();
  host.environment.mainImage.assign(4096, 0x90);
  host.Load();
  const std::int32_t car = GetIn(true);
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);
  EXPECT_EQ(LimiterField(car), 0.0F);
}

}  // namespace
