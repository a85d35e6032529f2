// Playthroughs of the weapon groups, the ammo counter and a moved reload key.
#include "WeaponsPlaythrough.h"

namespace {

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
