// Weapons as the game hands them around: another playable character with his
// own weapons of the same types, and a weapon whose magazine holds one.
#include "WeaponsPlaythrough.h"

#include <algorithm>
#include <functional>

namespace {

constexpr std::uint32_t FlareGun = 0x47757124;
constexpr std::uint32_t OtherModel = 0x9B22DBAF;

class CharacterSwitchTest : public WeaponsTest {
 protected:
  // The player takes over another character (or, with the same model, the
  // same one respawned), carrying the pistol with `clip` and `total` and a
  // full rifle, the pistol in hand.
  void TakeOver(std::uint32_t model, std::int32_t clip, std::int32_t total) {
    host.game.character.handle += 0x100;
    host.game.character.model = model;
    host.game.character.weapons.clear();
    host.game.GiveWeapon(Rifle, 30, 30, 120);
    host.game.GiveWeapon(Pistol, clip, 12, total);
    host.game.character.weapon = Pistol;
  }
};

TEST_F(CharacterSwitchTest, AnotherCharacterKeepsHisOwnMagazinesAndRoundsButEveryCatch) {
  Arm(Rifle, 5, 30, 90);
  Tap(SafetyKey);  // the rifle's catch on
  host.game.GiveWeapon(Pistol, 1, 12, 58);
  host.game.character.weapon = Pistol;  // the rifle put away with 5, the pistol at its last cartridge
  Frame();
  Frame();
  ASSERT_TRUE(Drew(EmptyLine));

  TakeOver(OtherModel, 12, 200);
  for (int pass = 0; pass < 4; ++pass) Frame();
  EXPECT_EQ(Held().clip, 12);
  EXPECT_EQ(Held().total, 200) << "his reserve was cut to the first character's";
  EXPECT_FALSE(FiringBlocked());
  EXPECT_FALSE(Drew(EmptyLine));
  Hold(Trigger);
  Frame();
  Release(Trigger);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 1);

  host.game.Draw(Rifle);  // his own full magazine, not the first character's 5
  Frame();
  Frame();
  EXPECT_EQ(Held().clip, 30);
  EXPECT_TRUE(FiringBlocked()) << "the rifle's catch is for every character";
}

TEST_F(CharacterSwitchTest, AFailedOrEmptyReadOnTheSwitchPassHandsTheNewCharacterNothingOfTheLast) {
  // The model answering nothing, the model read failing, the weapon read
  // failing: each once, on the pass of the switch.
  const std::function<void(sim::Host&)> failures[] = {
      [](sim::Host& host) {
        host.lie = [](NativeHash hash, sim::Invocation& call) {
          if (hash == sim::native::EntityModel) call.Return(std::int32_t{0});
        };
      },
      [](sim::Host& host) { host.throwingNative = sim::native::EntityModel; },
      [](sim::Host& host) {
        host.throwWhen = [](NativeHash hash, auto&) { return hash == sim::native::CurrentWeapon; };
      },
  };
  for (const auto& fail : failures) {
    host.game.character.model = 0x0D7114C9;
    Arm(Pistol, 1, 12, 58);
    Frame();
    Frame();
    ASSERT_TRUE(FiringBlocked());
    TakeOver(OtherModel, 12, 200);
    fail(host);
    Frame();
    host.lie = nullptr;
    host.throwingNative = 0;
    host.throwWhen = nullptr;
    for (int pass = 0; pass < 4; ++pass) Frame();
    EXPECT_EQ(Held().clip, 12);
    EXPECT_EQ(Held().total, 200) << "his reserve was cut to the first character's";
    EXPECT_FALSE(FiringBlocked());
    host.game.character.model = 0x0D7114C9;  // and back to the first one, who finds nothing held
  }
}

TEST_F(CharacterSwitchTest, TheModelOrTheMagazineSizeFailingForGoodLeavesTheGearsAndTheMenu) {
  for (const NativeHash failing : {sim::native::EntityModel, sim::native::MaxAmmoInClip}) {
    host.game.GiveWeapon(Rifle, 12, 30, 60);
    host.game.Draw(Rifle);
    host.throwingNative = failing;
    host.game.character.handle += 0x100;  // asked again
    host.game.Enter(host.game.SpawnVehicle(true));
    Frame();
    Frame();
    EXPECT_TRUE(std::any_of(host.game.texts.begin(), host.game.texts.end(), [](const sim::DrawnText& text) {
      return text.style.font == 4;
    })) << "no gear indicator";
    Tap(0x71);
    EXPECT_TRUE(Drew("~y~Halvane~w~ | Keybindings")) << "the menu does not open";
    Tap(0x71);
    host.throwingNative = 0;
    host.game.Enter(0);
    Frame();
  }
}

TEST_F(CharacterSwitchTest, ARespawnOfTheSameCharacterKeepsHisHold) {
  Arm(Pistol, 1, 12, 58);
  Frame();
  ASSERT_TRUE(FiringBlocked());
  TakeOver(host.game.character.model, 1, 58);
  Frame();
  Frame();
  EXPECT_TRUE(FiringBlocked());
  EXPECT_TRUE(Drew(EmptyLine));
}

TEST_F(WeaponsTest, AWeaponWhoseMagazineHoldsOneFiresAndKeepsItsCountButAPistolWithOneLeftIsHeld) {
  Arm(FlareGun, 1, 1, 10);
  Frame();
  EXPECT_FALSE(FiringBlocked());
  EXPECT_FALSE(Drew(EmptyLine));
  Hold(Trigger);
  Frame();
  Release(Trigger);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 1);
  Hold(ReloadKey);  // the game's own reload
  Frame();
  Release(ReloadKey);
  Frame();
  EXPECT_EQ(Held().clip, 1);
  EXPECT_FALSE(FiringBlocked());
  Hold(Trigger);
  Frame();
  Release(Trigger);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 2);

  // A pistol whose reload could give it one cartridge only is held at it.
  host.game.GiveWeapon(Pistol, 0, 12, 1);
  host.game.Draw(Pistol);
  Frame();
  Frame();
  EXPECT_EQ(Held().clip, 1);
  EXPECT_TRUE(FiringBlocked());
}

}  // namespace
