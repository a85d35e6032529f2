// Playthroughs of the safety catch, manual reloading and ammo counter hiding.
#include "Playthrough.h"
#include "feedback/Sound.h"

#include <gmock/gmock.h>

#include <fstream>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::uint32_t Rifle = 0xBFEFFF6D;
constexpr std::uint32_t ClipExemptWithSafety = 0x0781FE4C;
constexpr std::uint32_t FullyExempt = 0x93E220BD;
constexpr std::uint32_t ExtraClipExempt = 0x13E577CB;
constexpr KeyCode SafetyKey = 'T';
constexpr KeyCode ReloadKey = 'R';
constexpr KeyCode Trigger = 1;

const char* const SafetyOnLine = "~r~SAFETY ON  ~y~";
const char* const SafetyOffLine = "~g~SAFETY OFF  ~y~";
const char* const EmptyLine = "~o~EMPTY  ~y~[R]";

class WeaponsTest : public Playthrough {
 protected:
  void Arm(std::uint32_t weapon, std::int32_t clip, std::int32_t magazine = 12, std::int32_t total = 60) {
    host.game.GiveWeapon(weapon, clip, magazine, total);
    host.game.Draw(weapon);
    host.game.Weapon(weapon).clip = clip;
  }
  sim::WeaponModel& Held() { return host.game.Weapon(host.game.character.weapon); }
  bool FiringBlocked() const {
    return host.game.disabledControls ==
           std::vector<std::int32_t>{24, 69, 92, 114, 140, 141, 142, 257, 263, 264, 45, 22};
  }
};

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

  // A magazine of one: held after every reload, and reloaded again by hand.
  Arm(Rifle, 1, 1, 5);
  Frame();
  Frame();
  const int reloadsBefore = host.game.reloads;
  for (int reload = 0; reload < 2; ++reload) {
    Tap(ReloadKey);
    Frame();
    EXPECT_EQ(host.game.reloads, reloadsBefore + reload + 1);
    Hold(Trigger);
    Frame();
    EXPECT_EQ(host.game.shotsFired, 0) << reload;
    EXPECT_TRUE(FiringBlocked()) << reload;
    Release(Trigger);
    Frame();
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
  host.game.GiveWeapon(Rifle, 1, 1, 5);
  host.game.Draw(Rifle);
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
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

TEST_F(WeaponsTest, ExemptWeaponsAndTheEmptyHandNeverCarryASafety) {
  for (std::uint32_t weapon : {FullyExempt, sim::Unarmed}) {
    if (weapon != sim::Unarmed) Arm(weapon, 5);
    host.game.Draw(weapon);
    Frame(1000);
    Tap(SafetyKey);
    EXPECT_EQ(TimesPlayed(SafetySwitchClip), 0);
    EXPECT_THAT(host.game.disabledControls, IsEmpty());
    EXPECT_THAT(host.game.texts, IsEmpty());
  }
  for (std::uint32_t weapon : {ClipExemptWithSafety, ExtraClipExempt}) {
    Arm(weapon, 5);
    Frame(1000);
    Hold(SafetyKey);
    Frame();
    Release(SafetyKey);
    EXPECT_EQ(TimesPlayed(SafetySwitchClip), 1) << std::hex << weapon;
    EXPECT_TRUE(FiringBlocked()) << std::hex << weapon;
  }
}

TEST_F(WeaponsTest, ASafetyPutOnWhileEmptyTakesOverOnceTheReloadKeyIsPressed) {
  Arm(Pistol, 1);
  Frame();
  Frame();
  Hold(SafetyKey);
  Frame(100);
  Release(SafetyKey);
  EXPECT_EQ(TimesPlayed(SafetySwitchClip), 1);
  EXPECT_FALSE(Drew(SafetyOnLine));
  EXPECT_TRUE(Drew(EmptyLine));
  EXPECT_TRUE(FiringBlocked());

  Hold(ReloadKey);
  Frame();
  Release(ReloadKey);
  Frame();
  EXPECT_TRUE(Drew(SafetyOnLine));  // no longer empty: the safety speaks and blocks
  EXPECT_TRUE(FiringBlocked());
  Frame();
  EXPECT_EQ(Held().clip, 0);  // the safety blocks the game's reload too

  Tap(SafetyKey);
  Tap(ReloadKey);  // now the game's own reload goes through
  EXPECT_EQ(Held().clip, 12);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
}

TEST_F(WeaponsTest, TheAmmoCounterIsHiddenEveryPassWhileTheSwitchIsOn) {
  Frame();
  EXPECT_THAT(host.game.hiddenHud, IsEmpty());
  host.Unload();
  std::ofstream(host.Folder() / "Halvane.ini") << "HideAmmoHud=1\n";
  host.Load();
  Frame();
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));
  Frame();
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));
}

// The weapon groups as the players' weapon table lists them, written out
// here rather than taken from the plug-in.
constexpr std::uint32_t SafetyExemptWeapons[] = {
    0x93E220BD, 0xFDBC8A50, 0xA0973D5E, 0xBA45E8B8, 0x497FACC3, 0xF7F1E25E, 0x23C9F95C, 0x0787F0BB,
    0x060EC506, 0xAB564B93, 0x2C3731D9, 0xBA536372, 0x34A67B97, 0x24B17070, 0xDC4DB296, 0x99AEEB3B};
// Clip-exempt, yet with a safety: the six of the main group and the four extra ones.
constexpr std::uint32_t ClipExemptWithASafety[] = {0x0781FE4C, 0x0AB49B47, 0xB1CA77B1, 0x8BADF85D,
                                                   0x6D544C99, 0xA89CB99E, 0x13E577CB, 0xDFD59E4B,
                                                   0x63AB0442, 0x7F7497E5};

TEST_F(WeaponsTest, EveryWeaponOfTheGroupsKeepsItsOwnRules) {
  // No clip-exempt weapon is ever held empty at its last cartridge.
  std::vector<std::uint32_t> clipExempt(std::begin(SafetyExemptWeapons), std::end(SafetyExemptWeapons));
  clipExempt.insert(clipExempt.end(), std::begin(ClipExemptWithASafety), std::end(ClipExemptWithASafety));
  ASSERT_EQ(clipExempt.size(), 26U);
  for (std::uint32_t weapon : clipExempt) {
    SCOPED_TRACE(::testing::Message() << std::hex << weapon);
    Arm(weapon, 1, 6, 20);
    Frame();
    Frame();
    EXPECT_EQ(TimesPlayed(DryFireClip), 0);
    EXPECT_THAT(host.game.disabledControls, IsEmpty());
    EXPECT_FALSE(Drew(EmptyLine));
  }
  // Safety-exempt weapons never take the safety; the others in the groups do.
  for (std::uint32_t weapon : SafetyExemptWeapons) {
    SCOPED_TRACE(::testing::Message() << std::hex << weapon);
    Arm(weapon, 5);
    Frame(1000);
    Tap(SafetyKey);
    EXPECT_EQ(TimesPlayed(SafetySwitchClip), 0);
    EXPECT_THAT(host.game.disabledControls, IsEmpty());
  }
  for (std::uint32_t weapon : ClipExemptWithASafety) {
    SCOPED_TRACE(::testing::Message() << std::hex << weapon);
    Arm(weapon, 5);
    Frame(1000);
    Hold(SafetyKey);
    Frame();
    Release(SafetyKey);
    EXPECT_EQ(TimesPlayed(SafetySwitchClip), 1);
    Frame();
    EXPECT_TRUE(FiringBlocked());
    Tap(SafetyKey);
  }
  // An ordinary weapon takes both: the groups are not everything.
  Arm(Rifle, 1);
  Frame();
  EXPECT_EQ(TimesPlayed(DryFireClip), 1);
}

TEST_F(WeaponsTest, AReloadHeldAcrossAChangeToAnEmptyWeaponReloadsThatOneToo) {
  // Two weapons held Empty.
  Arm(Rifle, 1, 30, 90);
  Frame();
  Frame();
  Arm(Pistol, 1, 12, 40);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());

  Hold(ReloadKey);
  Frame();  // the pistol's reload starts
  EXPECT_EQ(host.game.Weapon(Pistol).clip, 0);
  host.game.Draw(Rifle);  // the change lands on the very next frame, R still held
  Frame();
  EXPECT_EQ(host.game.Weapon(Rifle).clip, 0);  // a fresh start for the rifle
  Frame();
  EXPECT_EQ(host.game.Weapon(Rifle).clip, 30);
  Release(ReloadKey);
  EXPECT_EQ(host.game.reloads, 1);  // the pistol never came out again to be reloaded
}

class MovedReloadTest : public WeaponsTest {
 protected:
  void SetUp() override {
    WeaponsTest::SetUp();
    host.Unload();
    std::ofstream(host.Folder() / "Halvane.ini") << "Reload=K\n";
    host.Load();
  }
};

TEST_F(MovedReloadTest, TheBoundKeyHasTheGameReloadAndTheGamesOwnKeyCannot) {
  Arm(Pistol, 1, 12, 40);
  Frame();
  Frame();
  ASSERT_TRUE(FiringBlocked());
  Tap(ReloadKey);  // the game's own reload key: blocked while Empty
  Frame();
  EXPECT_EQ(Held().clip, 1);
  EXPECT_EQ(host.game.reloads, 0);

  // A one-frame tap of the bound key: the plug-in empties the magazine and
  // presses the game's reload control, and the game reloads.
  Hold('K');
  Frame();
  Release('K');
  EXPECT_EQ(Held().clip, 0);
  ASSERT_EQ(host.CallsTo(sim::native::SetControlValueNextFrame).size(), 1U);
  EXPECT_THAT(host.CallsTo(sim::native::SetControlValueNextFrame)[0]->args, ElementsAre(0, 45, 0x3F800000));
  Frame();
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(host.game.reloads, 1);
  EXPECT_THAT(host.game.disabledControls, IsEmpty());
}

}  // namespace
