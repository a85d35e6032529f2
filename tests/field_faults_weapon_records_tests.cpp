// Faults of the weapon records and the limiter found in the field, each
// played as a player met it: the limiter store found twice, a table of
// weapon records that never grows, and weapons lost with two records or
// under the open menu.
#include "WeaponsPlaythrough.h"
#include "weapons/WeaponTables.h"

namespace {

TEST_F(WeaponsTest, TheLimiterFieldIsWrittenOnlyWhereEveryStoreAgrees) {
  for (const bool agree : {false, true}) {
    SCOPED_TRACE(agree ? "both name 0x8CC" : "0x8CC and 0x1234");
    host.Unload();
    host.environment.mainImage = GameImage({0x8CC, static_cast<std::uint16_t>(agree ? 0x8CC : 0x1234)});
    host.Load();
    Frame();
    const std::int32_t car = host.game.SpawnVehicle(true);
    host.game.Enter(car);
    Frame();  // got in standing
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

}  // namespace
