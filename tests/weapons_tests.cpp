// Playthroughs of manual reloading: the last cartridge held, magazines kept
// and forgotten, reloads of one cartridge.
#include "WeaponsPlaythrough.h"

namespace {

TEST_F(WeaponsTest, AMagazineRunsDownToItsLastCartridgeAndWaitsForTheReloadKey) {
  Arm(Pistol, 3, 12, 40);
  Frame();
  Hold(Trigger);
  Frame();  // fires: 2 left
  Frame();  // fires: 1 left
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);

  Frame();  // the pass sees the last cartridge: click, and the last one is not fired
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
  EXPECT_FALSE(Drew(EmptyLine));
  EXPECT_TRUE(FiringBlocked());
  EXPECT_EQ(Held().clip, 1);

  Frame();  // from now on the magazine is held at 1 and firing is blocked
  EXPECT_TRUE(FiringBlocked());
  EXPECT_TRUE(Drew(EmptyLine));
  EXPECT_EQ(host.game.hiddenHud, std::set<std::int32_t>{2});
  const int shots = host.game.shotsFired;
  Frame();
  Frame();
  EXPECT_EQ(host.game.shotsFired, shots);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);  // held trigger: no new click

  Release(Trigger);
  Frame();
  Hold(Trigger);
  Frame(700);  // a new pull clicks and shows the line again
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
  EXPECT_TRUE(Drew(EmptyLine));
  Release(Trigger);
  Frame(600);
  EXPECT_FALSE(Drew(EmptyLine));
  EXPECT_TRUE(FiringBlocked());

  Hold(ReloadKey);
  Frame();  // the magazine is emptied and the host's reload pressed for the next frame
  EXPECT_EQ(Held().clip, 0);
  Frame();
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(host.game.reloads, 1);
  Release(ReloadKey);
  Frame();
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
  Hold(Trigger);
  Frame();
  EXPECT_EQ(Held().clip, 11);
}

TEST_F(WeaponsTest, AnEmptyWeaponKeepsItsAmmunitionAndStaysEmptyAcrossChangesAndDeath) {
  Arm(Pistol, 1, 12, 30);
  Frame();  // one cartridge: Empty at once
  Frame();
  ASSERT_TRUE(FiringBlocked());

  host.game.Weapon(Pistol).total += 50;  // picked up while Empty
  Frame();
  EXPECT_EQ(host.game.Weapon(Pistol).total, 30);

  host.game.GiveWeapon(Rifle, 20, 30, 90);
  host.game.Draw(Rifle);
  Frame();
  Frame(1000);
  EXPECT_FALSE(Drew(EmptyLine));
  host.game.Draw(Pistol);  // the game tops the magazine up as it comes out
  Frame();
  EXPECT_EQ(host.game.Weapon(Pistol).clip, 1);
  EXPECT_EQ(host.game.disabledControls,
            (std::vector<std::int32_t>{45, 22, 24, 69, 92, 114, 140, 141, 142, 257, 263, 264, 45, 22}));
  EXPECT_TRUE(Drew(EmptyLine));

  host.game.character.dead = true;
  Frame();
  host.game.character.dead = false;
  host.game.Draw(Pistol);
  Frame(1000);
  EXPECT_EQ(host.game.Weapon(Pistol).clip, 1);
  EXPECT_TRUE(FiringBlocked());
}

TEST_F(WeaponsTest, AMessagesWindowNeverOpensAgainWhenTheCounterComesRound) {
  // 2^32 ms pass in four passes: the counter reads as it did at the event.
  const auto counterComesRound = [&] {
    for (int i = 0; i < 4; ++i) Frame(1U << 30);
  };
  Arm(Pistol, 12);
  Frame();
  Tap(SafetyKey);
  Hold(SafetyKey);
  Frame(0);
  EXPECT_TRUE(Drew(SafetyOffLine));
  Release(SafetyKey);
  counterComesRound();
  for (std::uint32_t ms : {0U, 100U, 600U}) {
    Frame(ms);
    EXPECT_FALSE(Drew(SafetyOffLine)) << ms;
  }
  Tap(SafetyKey);
  EXPECT_TRUE(Drew(SafetyOnLine));
  counterComesRound();
  Frame(0);
  EXPECT_FALSE(Drew(SafetyOnLine));
  Tap(SafetyKey);

  Held().clip = 1;
  Frame();
  Frame(0);
  EXPECT_TRUE(Drew(EmptyLine));
  counterComesRound();
  Frame(0);
  EXPECT_FALSE(Drew(EmptyLine));
  EXPECT_TRUE(FiringBlocked());  // the magazine is still held
}

TEST_F(WeaponsTest, AMagazineComesBackNoFullerThanTheWeaponIs) {
  Arm(Pistol, 7, 12, 40);
  Frame();
  host.game.GiveWeapon(Rifle, 30, 30, 90);
  host.game.Draw(Rifle);
  Frame();                             // the pistol put away with 7 in its magazine
  host.game.Weapon(Pistol).total = 3;  // spent while it was not in hand
  host.game.Draw(Pistol);
  Frame();
  EXPECT_EQ(Held().clip, 3);
  Hold(Trigger);
  for (int i = 0; i < 6; ++i) Frame();
  EXPECT_LE(host.game.shotsFired, 3);
}

TEST_F(WeaponsTest, AReloadThatGivesOneCartridgeEndsAndHoldsIt) {
  // The last cartridge of the reserve: the reload gives the magazine one.
  Arm(Pistol, 1, 12, 1);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  Tap(ReloadKey);
  Frame();
  EXPECT_EQ(Held().clip, 1);
  Hold(Trigger);
  Frame();
  Frame();
  EXPECT_EQ(host.game.shotsFired, 0);
  EXPECT_TRUE(FiringBlocked());
  EXPECT_TRUE(Drew(EmptyLine));
  Release(Trigger);

  // A magazine of one is never held: every reload the game makes fires.
  Arm(Rifle, 1, 1, 5);
  Frame();
  Frame();
  const int reloadsBefore = host.game.reloads;
  for (int reload = 0; reload < 2; ++reload) {
    Hold(Trigger);
    Frame();
    EXPECT_EQ(host.game.shotsFired, reload + 1);
    Release(Trigger);
    Tap(ReloadKey);  // the game's own reload
    EXPECT_EQ(host.game.reloads, reloadsBefore + reload + 1);
    EXPECT_FALSE(FiringBlocked()) << reload;
  }
}

TEST_F(WeaponsTest, AWeaponTakenAwayIsForgottenAndComesBackAsTheGameGivesIt) {
  const auto takeAway = [&](std::uint32_t weapon) {
    host.game.character.weapons.erase(weapon);
    host.game.character.weapon = 0xA2719263;  // the game puts the hands down
    Frame();
  };
  // A pistol holding 7, taken away and bought again full.
  Arm(Pistol, 7, 12, 40);
  Frame();
  takeAway(Pistol);
  Arm(Pistol, 12, 12, 36);
  Frame();
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(Held().total, 36);

  // One held at its last cartridge with 60, bought again with 24: not held,
  // and not a round more than the 24.
  Held().clip = 1;
  Held().total = 60;
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  takeAway(Pistol);
  Arm(Pistol, 12, 12, 24);
  Frame();
  EXPECT_EQ(Held().total, 24);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
  Hold(Trigger);
  Frame();
  EXPECT_EQ(Held().clip, 11);
  EXPECT_EQ(Held().total, 23);
}

TEST_F(WeaponsTest, AWeaponLostWhilePutAwayIsForgottenToo) {
  // A pistol put away with 7, and one held at its last cartridge with 60.
  Arm(Pistol, 7, 12, 40);
  Frame();
  Arm(ExtraClipExempt, 5, 5, 5);  // something else in hand for a while
  Frame();
  Arm(Rifle, 1, 30, 60);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  host.game.GiveWeapon(ExtraClipExempt, 5, 5, 5);
  host.game.Draw(ExtraClipExempt);
  Frame();
  // Both taken away while put away (an arrest); a few passes go by.
  host.game.character.weapons.erase(Pistol);
  host.game.character.weapons.erase(Rifle);
  for (int i = 0; i < 6; ++i) Frame();
  // Got again: each comes out as the game gives it.
  Arm(Pistol, 12, 12, 36);
  Frame();
  EXPECT_EQ(Held().clip, 12);
  Arm(Rifle, 30, 30, 24);
  Frame();
  EXPECT_EQ(Held().total, 24);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
}

}  // namespace
