// Playthroughs of a world that goes on while the menu is open: weapons taken
// and given, magazines run down, cars and seats changed, and passes that end
// early. The player's keys rest; what the plug-in knows of the world does not.
#include "VehiclePlaythrough.h"
#include "WeaponsPlaythrough.h"

namespace {

constexpr KeyCode MenuKey = 0x71;  // F2
constexpr KeyCode MenuDown = 0x28;

using OpenMenuWeaponsTest = WeaponsTest;
using OpenMenuVehicleTest = VehicleTest;

TEST_F(OpenMenuWeaponsTest, AWeaponTakenAndGivenBackComesOutAsTheGameGivesIt) {
  // A pistol held at its last cartridge, 28 in reserve.
  Arm(Pistol, 1, 12, 29);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  Tap(MenuKey);
  // Taken away (an arrest, a script), then given again with 12 and 100.
  host.game.character.weapons.erase(Pistol);
  host.game.character.weapon = sim::Unarmed;
  Frame();
  host.game.GiveWeapon(Pistol, 12, 12, 100);
  host.game.Draw(Pistol);
  Frame();
  Tap(MenuKey);
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(Held().total, 100);
  EXPECT_FALSE(Drew(EmptyLine));
  EXPECT_THAT(host.game.disabledControls, IsEmpty());

  // With the menu closed, the same for a weapon the game still reports in
  // hand for a pass after taking it.
  Arm(Rifle, 1, 30, 211);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  host.game.character.weapons.erase(Rifle);
  Frame();
  host.game.GiveWeapon(Rifle, 24, 30, 24);
  Frame();
  EXPECT_EQ(Held().clip, 24);
  EXPECT_EQ(Held().total, 24);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
}

TEST_F(OpenMenuWeaponsTest, AMagazineReachingItsLastCartridgeIsHeldThereAsWithTheMenuClosed) {
  host.game.GiveWeapon(Pistol, 2, 12, 60, sim::FireMode::PerPull);
  host.game.Draw(Pistol);
  Held().clip = 2;
  Frame();
  Tap(MenuKey);
  for (int pull = 0; pull < 4; ++pull) Tap(Trigger);
  EXPECT_EQ(host.game.shotsFired, 1);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(Held().total, 59);
  EXPECT_EQ(host.game.reloads, 0);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);  // the menu is quiet
  Tap(MenuKey);
  // Closed, the weapon is at its hold: blocked, clicked, reloaded by key.
  EXPECT_TRUE(FiringBlocked());
  Tap(Trigger);
  EXPECT_EQ(host.game.shotsFired, 1);
  EXPECT_TRUE(Drew(EmptyLine));
  Tap(ReloadKey);
  Frame();
  EXPECT_EQ(Held().clip, 12);
}

TEST_F(OpenMenuWeaponsTest, APassThatThrowsLetsNoHeldOrCaughtWeaponFire) {
  const auto throwing = [&](NativeHash native, auto act) {
    host.throwingNative = native;
    act();
    host.throwingNative = 0;
  };
  // A rifle held at its last cartridge, the trigger held throughout: the
  // menu opened, moved in and closed on passes whose sound throws.
  Arm(Rifle, 1, 30, 211);
  Frame();
  Frame();
  Hold(Trigger);
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuKey); });
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuDown); });
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuKey); });
  Frame();
  EXPECT_EQ(host.game.shotsFired, 0);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(Held().total, 211);

  // A pistol with its catch on, the same way.
  Release(Trigger);
  Arm(Pistol, 12);
  Frame();
  Tap(SafetyKey);
  Hold(Trigger);
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuKey); });
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuDown); });
  throwing(sim::native::PlayFrontendSound, [&] { Tap(MenuKey); });
  EXPECT_EQ(host.game.shotsFired, 0);
  EXPECT_EQ(Held().clip, 12);
}

TEST_F(OpenMenuVehicleTest, GettingIntoAnotherCarOrBackToTheWheelCountsAsGettingIn) {
  const std::int32_t first = GetIn(true);
  Frame();
  Tap(GearUpKey);
  Tap(GearUpKey);
  ASSERT_EQ(ShownGear(), 3);
  Tap(MenuKey);
  host.game.Enter(0);
  Frame();
  const std::int32_t second = host.game.SpawnVehicle(false);
  host.game.Enter(second);
  Frame();
  Tap(MenuKey);
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_EQ(Banner(), "~r~GEAR 1  ~w~| Max ~y~21 mph");
  // The engine as found on getting in: off, and held off.
  EXPECT_FALSE(host.game.Vehicle(second).engineRunning);
  EXPECT_TRUE(host.game.Vehicle(second).undriveable);
  EXPECT_TRUE(AcceleratorDisabled());

  // Straight from one driver's seat to another's, and from a passenger's
  // seat back to the wheel, with the menu open.
  Tap(EngineKey);
  Tap(GearUpKey);
  ASSERT_EQ(ShownGear(), 2);
  Tap(MenuKey);
  host.game.Enter(first);
  Frame();
  Tap(MenuKey);
  EXPECT_EQ(ShownGear(), 1);
  EXPECT_TRUE(host.game.Vehicle(first).engineRunning);
  Tap(GearUpKey);
  ASSERT_EQ(ShownGear(), 2);
  Tap(MenuKey);
  host.game.Enter(first, 0);
  Frame();
  host.game.Enter(first);
  Frame();
  Tap(MenuKey);
  EXPECT_EQ(ShownGear(), 1);

  // Staying at the wheel keeps the gear.
  Tap(GearUpKey);
  Tap(MenuKey);
  Tap(MenuKey);
  EXPECT_EQ(ShownGear(), 2);
}

}  // namespace
