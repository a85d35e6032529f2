// Playthroughs of the trigger and the safety catch: one click a pull, the open
// menu, each weapon's magazine, the catch and its lines.
#include "WeaponsPlaythrough.h"

namespace {

TEST_F(WeaponsTest, OnePullHeldOntoTheLastCartridgeClicksOnce) {
  Arm(Rifle, 4, 30, 90);
  Frame();
  Hold(Trigger);
  int clicks = 0;
  for (int i = 0; i < 8; ++i) {
    Frame();
    clicks += TimesPlayed(DryFireClip);
  }
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(clicks, 1);
  Release(Trigger);
  Frame();
  Hold(Trigger);
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);  // the next pull clicks again
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);
}

TEST_F(WeaponsTest, TheOpenMenuLetsNoWeaponFireThatCouldNotFireWithItClosed) {
  constexpr KeyCode MenuKey = 0x71;  // F2
  // A rifle held at its last cartridge, 210 in reserve.
  Arm(Rifle, 1, 30, 211);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  Tap(MenuKey);
  Hold(Trigger);
  for (int i = 0; i < 5; ++i) {
    Frame();
    EXPECT_TRUE(FiringBlocked()) << "menu pass " << i;
    EXPECT_EQ(host.frameSounds.size(), 0U) << "menu pass " << i;
    EXPECT_FALSE(Drew(EmptyLine)) << "menu pass " << i;
  }
  Release(Trigger);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 0);
  Tap(MenuKey);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(Held().total, 211);

  // A pistol with its catch on: no round in the menu either.
  Arm(Pistol, 12);
  Frame();
  Tap(SafetyKey);
  Tap(MenuKey);
  Tap(Trigger);
  EXPECT_EQ(host.game.shotsFired, 0);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);
  Tap(MenuKey);

  // With the catch off the menu is no second catch: the pistol fires.
  Tap(SafetyKey);
  Tap(MenuKey);
  Hold(Trigger);
  Frame();
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
  EXPECT_EQ(host.game.shotsFired, 1);
  EXPECT_EQ(Held().clip, 11);
}

TEST_F(WeaponsTest, EachWeaponGetsItsOwnMagazineBackWhenDrawn) {
  Arm(Pistol, 7);
  host.game.GiveWeapon(Rifle, 30, 30, 90);
  Frame();
  host.game.Draw(Rifle);
  Frame();
  host.game.Weapon(Rifle).clip = 13;
  Frame();
  host.game.Draw(Pistol);  // the game would hand it a full magazine
  Frame();
  EXPECT_EQ(host.game.Weapon(Pistol).clip, 7);
  host.game.Draw(Rifle);
  Frame();
  EXPECT_EQ(host.game.Weapon(Rifle).clip, 13);

  // The empty hand is never saved nor restored, and clip-exempt weapons are.
  host.game.GiveWeapon(ClipExemptWithSafety, 3, 5, 10);
  host.game.Draw(ClipExemptWithSafety);
  host.game.Weapon(ClipExemptWithSafety).clip = 3;
  Frame();
  host.game.Draw(sim::Unarmed);
  Frame();
  host.game.Draw(ClipExemptWithSafety);
  Frame();
  EXPECT_EQ(host.game.Weapon(ClipExemptWithSafety).clip, 3);
}

TEST_F(WeaponsTest, OnlyACountOfExactlyOneMakesAWeaponEmpty) {
  Arm(Pistol, 2);
  Frame();
  Held().clip = 0;  // a burst took both: never seen at 1
  Frame();
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());

  Tap(ReloadKey);  // the key does nothing while Ready; the game's own reload does
  EXPECT_EQ(Held().clip, 12);

  for (std::uint32_t exempt : {ClipExemptWithSafety, ExtraClipExempt, FullyExempt}) {
    host.game.GiveWeapon(exempt, 1, 1, 5);
    host.game.Draw(exempt);
    Frame();
    Frame();
    EXPECT_EQ(TimesPlayed(DryFireClip), 0) << std::hex << exempt;
    EXPECT_THAT(host.game.disabledControls, IsEmpty()) << std::hex << exempt;
  }
  host.game.GiveWeapon(Rifle, 1, 30, 5);
  host.game.character.weapon = Rifle;
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
}

// A magazine part-fired is the game's to reload: the key refills it with the
// catch off, and does nothing with the catch on.
TEST_F(WeaponsTest, TheGamesReloadOfAPartFiredMagazineWorksOnlyWithTheCatchOff) {
  Arm(Pistol, 10, 12, 60);
  Frame();
  Tap(SafetyKey);
  Tap(ReloadKey);
  EXPECT_EQ(Held().clip, 10);
  EXPECT_EQ(host.game.reloads, 0);
  Tap(SafetyKey);
  Tap(ReloadKey);
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(host.game.reloads, 1);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);
  EXPECT_FALSE(Drew(EmptyLine));
  // The refilled count is the one kept while the pistol is put away.
  host.game.Draw(Rifle);
  Frame();
  host.game.Draw(Pistol);
  Frame();
  EXPECT_EQ(Held().clip, 12);
}

TEST_F(WeaponsTest, TheSafetyTogglesOncePerPressAndBlocksFiringWhileOn) {
  Arm(Pistol, 12);
  Frame();
  Hold(SafetyKey);
  Frame();
  EXPECT_EQ(TimesPlayed(SafetySwitchClip), 1);
  EXPECT_TRUE(FiringBlocked());
  EXPECT_TRUE(Drew(SafetyOnLine));
  Frame();
  Frame();
  EXPECT_EQ(TimesPlayed(SafetySwitchClip), 0);
  EXPECT_TRUE(FiringBlocked());

  Release(SafetyKey);
  Hold(Trigger);
  Frame(1000);
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
  EXPECT_TRUE(Drew(SafetyOnLine));
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);
  EXPECT_EQ(Held().clip, 12);
  Release(Trigger);

  // Another weapon has its own catch; this one's is still on when it returns.
  host.game.GiveWeapon(Rifle, 30, 30, 90);
  host.game.Draw(Rifle);
  Frame(1000);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
  host.game.Draw(Pistol);
  Frame();
  EXPECT_TRUE(FiringBlocked());
  EXPECT_EQ(TimesPlayed(SafetySwitchClip), 0);
  EXPECT_FALSE(Drew(SafetyOnLine));

  Tap(SafetyKey);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
  EXPECT_TRUE(Drew(SafetyOffLine));
}

TEST_F(WeaponsTest, SafetyLinesShowForExactlyTheirWindowsAcrossTheClockWrap) {
  Arm(Pistol, 12);
  host.input.tick = 0xFFFFFF00;
  Frame(0);
  Hold(SafetyKey);
  Frame(0);  // on at 0xFFFFFF00
  Release(SafetyKey);
  Frame(599);  // the clock has wrapped past zero
  EXPECT_TRUE(Drew(SafetyOnLine));
  Frame(1);
  EXPECT_FALSE(Drew(SafetyOnLine));
  EXPECT_TRUE(FiringBlocked());

  Hold(SafetyKey);
  Frame(0);
  Release(SafetyKey);
  Frame(799);
  EXPECT_TRUE(Drew(SafetyOffLine));
  Frame(1);
  EXPECT_FALSE(Drew(SafetyOffLine));
  EXPECT_THAT(host.game.texts, IsEmpty());
}

TEST_F(WeaponsTest, NoLineShowsBeforeItsEventEvenWhenTheClockHasJustWrapped) {
  // A machine up for 49.7 days: the counter has wrapped to just past zero.
  host.input.tick = 5;
  Arm(Pistol, 12);
  Frame();
  EXPECT_THAT(host.game.texts, IsEmpty());
  Hold(Trigger);
  for (int i = 0; i < 4; ++i) Frame(100);
  EXPECT_THAT(host.game.texts, IsEmpty());

  // After the event the window runs as usual.
  Release(Trigger);
  Tap(SafetyKey);
  Hold(SafetyKey);
  Frame();  // off
  Release(SafetyKey);
  Frame(799);
  EXPECT_TRUE(Drew(SafetyOffLine));
  Frame(1);
  EXPECT_FALSE(Drew(SafetyOffLine));
}

TEST_F(WeaponsTest, ClickByClickAPistolStopsAtItsLastCartridgeWhereTheGameWouldReloadAnEmptyOne) {
  // One round a pull, as the game fires a pistol: the game would reload a
  // magazine at 0 on the next pull, so the plug-in must never let it get there.
  host.game.GiveWeapon(Pistol, 3, 12, 40, sim::FireMode::PerPull);
  host.game.Draw(Pistol);
  Held().clip = 3;
  Frame();
  for (int pull = 0; pull < 6; ++pull) {
    Hold(Trigger);
    Frame();
    Frame();
    Release(Trigger);
    Frame();
  }
  EXPECT_EQ(host.game.shotsFired, 2);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(host.game.reloads, 0);
  EXPECT_EQ(TimesPlayed(DryFireClip), 0);  // the last click was some passes ago

  // A launcher keeps the game's reloading: fired empty, the next pull reloads it.
  host.game.GiveWeapon(ClipExemptWithSafety, 1, 1, 3, sim::FireMode::PerPull);
  host.game.Draw(ClipExemptWithSafety);
  Frame();
  Tap(Trigger);
  EXPECT_EQ(Held().clip, 0);
  Tap(Trigger);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(host.game.reloads, 1);
  EXPECT_EQ(host.game.shotsFired, 3);
}

TEST_F(WeaponsTest, TheLastCartridgeIsNotFiredOnThePassThatFindsIt) {
  // With the catch on, a magazine that reads 1 (drawn so, or filled so) is
  // blocked once on that pass, and nothing is fired.
  Arm(Pistol, 5);
  Frame();
  Tap(SafetyKey);
  Held().clip = 1;
  Hold(Trigger);
  Frame();
  EXPECT_TRUE(FiringBlocked());
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_FALSE(Drew(SafetyOnLine));
  EXPECT_FALSE(Drew(EmptyLine));  // first drawn on the next pass
  Frame();
  EXPECT_TRUE(Drew(EmptyLine));
  EXPECT_EQ(Held().clip, 1);
}

}  // namespace
