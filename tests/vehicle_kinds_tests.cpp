// Vehicles as the game has them: aircraft, trains, cycles and boats; a car
// taken over at speed, one leaving a ramp, and an engine the game killed.
#include "VehiclePlaythrough.h"

#include <utility>

namespace {

constexpr std::int32_t Cycles = 13;
constexpr std::int32_t Boats = 14;
constexpr std::int32_t Helicopters = 15;
constexpr std::int32_t Planes = 16;
constexpr std::int32_t Trains = 21;

float Speed(const sim::VehicleModel& vehicle) {
  const Vector3& v = vehicle.velocity;
  return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

TEST_F(VehicleTest, AircraftAndTrainsAreLeftToTheGameWhetherStandingOrInFlight) {
  for (const std::int32_t vehicleClass : {Helicopters, Planes, Trains}) {
    SCOPED_TRACE(vehicleClass);
    const std::int32_t craft = host.game.SpawnVehicle(true);
    host.game.Vehicle(craft).vehicleClass = vehicleClass;
    host.game.Vehicle(craft).velocity = {60.0F, 0.0F, 0.0F};
    host.game.Enter(craft);
    Frame();
    Tap(EngineKey);  // the landing gear
    Tap(GearDownKey);
    EXPECT_EQ(Speed(host.game.Vehicle(craft)), 60.0F);
    EXPECT_TRUE(host.game.Vehicle(craft).engineRunning);
    EXPECT_FALSE(host.game.Vehicle(craft).undriveable);
    EXPECT_EQ(ShownGear(), 0);
    EXPECT_FALSE(AcceleratorDisabled());
    host.game.Vehicle(craft).engineRunning = false;  // standing, switched off by the game
    host.game.Vehicle(craft).velocity = {};
    Frame();
    EXPECT_FALSE(AcceleratorDisabled());
    EXPECT_THAT(EngineCalls(host), IsEmpty());
    host.game.Enter(0);
    Frame();
    EXPECT_THAT(EngineCalls(host), IsEmpty()) << "an aircraft left is not held running";
  }
}

TEST_F(VehicleTest, ACycleHasGearsButNoEngineToHoldAndABoatHasBoth) {
  const std::int32_t cycle = host.game.SpawnVehicle(false);
  host.game.Vehicle(cycle).vehicleClass = Cycles;
  host.game.Enter(cycle);
  Frame();
  EXPECT_FALSE(AcceleratorDisabled()) << "a cycle is pedalled";
  Tap(EngineKey);
  EXPECT_THAT(EngineCalls(host), IsEmpty());
  EXPECT_EQ(ShownGear(), 1);
  host.game.Vehicle(cycle).velocity = {12.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_NEAR(Speed(host.game.Vehicle(cycle)), 9.72F, 0.01F);

  const std::int32_t boat = host.game.SpawnVehicle(false);
  host.game.Vehicle(boat).vehicleClass = Boats;
  host.game.Vehicle(boat).onAllWheels = false;  // it has none
  host.game.Enter(boat);
  Frame();
  EXPECT_TRUE(AcceleratorDisabled());
  Tap(EngineKey);
  EXPECT_TRUE(host.game.Vehicle(boat).engineRunning);
  host.game.Vehicle(boat).velocity = {12.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_NEAR(Speed(host.game.Vehicle(boat)), 9.72F, 0.01F) << "a boat is held to its gear";
}

TEST_F(VehicleTest, ACarTakenOverAtSpeedStartsInTheLowestGearThatHoldsItsSpeed) {
  const std::pair<float, int> cases[] = {{0.0F, 1},  {9.0F, 1},  {12.0F, 2},
                                         {20.0F, 3}, {30.0F, 4}, {60.0F, 5}};
  for (const auto& [speed, gear] : cases) {
    SCOPED_TRACE(speed);
    const std::int32_t car = host.game.SpawnVehicle(true);
    host.game.Vehicle(car).velocity = {0.0F, speed, 0.0F};
    host.game.Enter(car);
    Frame();
    EXPECT_EQ(ShownGear(), gear);
    EXPECT_THAT(Banner(), ::testing::HasSubstr("GEAR " + std::to_string(gear) + " "));
    EXPECT_EQ(Speed(host.game.Vehicle(car)), speed) << "braked on getting in";
    host.game.Enter(0);
    Frame();
  }
}

TEST_F(VehicleTest, AWheelTakenStraightFromAnotherOrWithASpeedNotReadIsNotBraked) {
  // From one wheel (a car, a helicopter) straight to another's, as a switch
  // between two driving characters does.
  for (const std::int32_t firstClass : {0, Helicopters}) {
    SCOPED_TRACE(firstClass);
    const std::int32_t first = GetIn(true);
    host.game.Vehicle(first).vehicleClass = firstClass;
    Frame();
    const std::int32_t second = host.game.SpawnVehicle(true);
    host.game.Vehicle(second).velocity = {0.0F, 30.0F, 0.0F};
    host.game.Enter(second);
    Frame();
    EXPECT_EQ(ShownGear(), 4);
    EXPECT_EQ(Speed(host.game.Vehicle(second)), 30.0F) << "braked on taking over";
    host.game.Enter(0);
    Frame();
  }
  // One speed read that is no number on the pass of getting in.
  const std::int32_t car = host.game.SpawnVehicle(true);
  host.game.Vehicle(car).velocity = {0.0F, 30.0F, 0.0F};
  bool once = true;
  host.lie = [&once](NativeHash hash, sim::Invocation& call) {
    if (hash == sim::native::VehicleSpeed && std::exchange(once, false))
      call.Return(std::numeric_limits<float>::quiet_NaN());
  };
  host.game.Enter(car);
  Frame();
  Frame();
  EXPECT_EQ(ShownGear(), 4);
  EXPECT_EQ(Speed(host.game.Vehicle(car)), 30.0F) << "braked on getting in";
}

TEST_F(VehicleTest, ACarOffItsWheelsFallsAsTheGameMakesItAndIsHeldOnLanding) {
  const std::int32_t car = GetIn(true);
  Frame();
  ASSERT_EQ(ShownGear(), 1);
  sim::VehicleModel& model = host.game.Vehicle(car);
  model.onAllWheels = false;
  model.velocity = {10.0F, 0.0F, -16.0F};
  Frame();
  EXPECT_EQ(model.velocity.z, -16.0F) << "the limiter held the car up";
  EXPECT_EQ(model.velocity.x, 10.0F);
  model.onAllWheels = true;
  Frame();
  EXPECT_NEAR(Speed(model), 9.72F, 0.01F);
}

TEST_F(VehicleTest, AnEngineTheGameKilledIsNeitherRestartedNorHeldRunningNorMadeDriveable) {
  for (const bool destroyed : {true, false}) {
    SCOPED_TRACE(destroyed ? "destroyed" : "drowned");
    const std::int32_t car = GetIn(false);
    Tap(EngineKey);  // on
    sim::VehicleModel& model = host.game.Vehicle(car);
    model.engineRunning = false;
    if (destroyed) {
      model.engineHealth = -4000.0F;
    } else {
      model.wrecked = true;
    }
    model.undriveable = true;
    Frame(3100);
    Frame();
    EXPECT_FALSE(model.engineRunning);
    EXPECT_TRUE(model.undriveable);
    host.game.Enter(0);
    Frame();
    Frame();
    EXPECT_FALSE(model.engineRunning) << "held running while the player is away";
    EXPECT_TRUE(model.undriveable);
  }
  // An engine that merely stalled is still started again.
  const std::int32_t car = GetIn(false);
  Tap(EngineKey);
  host.game.Vehicle(car).engineRunning = false;
  Frame(3100);
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
}

}  // namespace
