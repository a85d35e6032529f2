// Faults of a magazine held at its last cartridge found in the field, each
// played as a player met it: a wrong total on the pass it is held, a last
// cartridge gone while put away, and lies of the held total on passes apart.
#include "ExplorerWorld.h"
#include "Promises.h"
#include "WeaponsPlaythrough.h"

namespace {

// The plug-in loaded again, the character holding no weapon and having fired none.
void StartEmptyHanded(sim::Host& host) {
  host.Unload();
  host.Load();
  host.game.character.weapons.clear();
  host.game.shotsFired = 0;
}

// The rounds the character has fired and holds.
long Rounds(const sim::Host& host) {
  long rounds = host.game.shotsFired;
  for (const auto& [hash, weapon] : host.game.character.weapons) rounds += weapon.total;
  return rounds;
}

TEST_F(WeaponsTest, OneWrongTotalOnThePassAMagazineIsHeldNeitherGivesNorTakesRounds) {
  // A pistol of 3 with 60 in all, fired to its last cartridge; on the pass
  // that finds it there the total read fails or lies once.
  enum class Wrong { Throws, Negative, Zero, Million };
  for (const Wrong wrong : {Wrong::Throws, Wrong::Negative, Wrong::Zero, Wrong::Million}) {
    SCOPED_TRACE(static_cast<int>(wrong));
    StartEmptyHanded(host);
    Arm(Pistol, 3, 12, 60);
    Frame();
    Hold(Trigger);
    Frame();
    Frame();
    ASSERT_EQ(Held().clip, 1);
    bool once = true;
    host.throwWhen = [&](NativeHash hash, const std::vector<std::uint64_t>&) {
      return wrong == Wrong::Throws && hash == sim::native::GetTotalAmmo && std::exchange(once, false);
    };
    host.lie = [&](NativeHash hash, sim::Invocation& call) {
      if (hash != sim::native::GetTotalAmmo || !std::exchange(once, false)) return;
      call.Return(wrong == Wrong::Negative ? -5 : wrong == Wrong::Zero ? 0 : 1000000);
    };
    for (int pass = 0; pass < 6; ++pass) Frame();
    EXPECT_EQ(Rounds(host), 60);
    EXPECT_EQ(Held().total, 58);
    // A pickup while held is taken back to what the game answered.
    Held().total += 30;
    Frame();
    EXPECT_EQ(Held().total, 58);
    host.throwWhen = nullptr;
    host.lie = nullptr;
  }
}

TEST_F(WeaponsTest, AHeldWeaponWhoseLastCartridgeWentIsNotRefilledWhenDrawnAgain) {
  // The block fails for one pass and the last cartridge goes.
  Arm(Pistol, 1, 12, 60);
  Frame();
  Frame();
  Hold(Trigger);
  host.throwWhen = [](NativeHash hash, const std::vector<std::uint64_t>&) {
    return hash == sim::native::DisableControl;
  };
  Frame();
  host.throwWhen = nullptr;
  ASSERT_EQ(host.game.shotsFired, 1);
  host.game.Draw(sim::Unarmed);
  Frame();
  host.game.Draw(Pistol);
  for (int pass = 0; pass < 4; ++pass) Frame();
  EXPECT_EQ(Rounds(host), 60) << "a round from nothing";
  EXPECT_EQ(host.game.shotsFired, 1);

  // The weapon read answering 0 on every other pass, the trigger held: the
  // pistol may fire on the lying passes, never from a refill.
  StartEmptyHanded(host);
  Arm(Pistol, 1, 12, 5);
  Frame();
  Frame();
  host.lie = [&](NativeHash hash, sim::Invocation& call) {
    if (hash == sim::native::CurrentWeapon && host.frameNumber % 2 == 0) *call.Out<std::int32_t>(1) = 0;
  };
  for (int pass = 0; pass < 40; ++pass) {
    Frame();
    ASSERT_LE(Rounds(host), 5) << "pass " << pass;
  }
  EXPECT_LE(host.game.shotsFired, 1);
}

}  // namespace

// Two lies of a held total on passes that are not running: across a put
// away, across the open menu, or one too large after the game's total fell.
TEST(HeldTotalTest, AnswersOnPassesApartNeverMoveTheRounds) {
  struct Case {
    const char* name;
    void (*between)(explore::World&);
    std::int32_t lie;
  };
  const Case cases[] = {
      {"put away and drawn again",
       [](explore::World& world) {
         world.host.game.Draw(explore::Rifle);
         for (int pass = 0; pass < 30; ++pass) world.Frame();
         world.host.game.Draw(explore::Pistol);
       },
       0},
      {"the menu opened and closed",
       [](explore::World& world) {
         world.Tap(explore::key::Menu);
         for (int pass = 0; pass < 20; ++pass) world.Frame();
         world.Hold(explore::key::Menu);
       },
       0},
      {"its total taken while put away",
       [](explore::World& world) {
         world.host.game.Draw(explore::Rifle);
         world.Frame();
         world.host.game.Weapon(explore::Pistol).total = 30;
         world.host.game.Draw(explore::Pistol);
         world.host.game.Weapon(explore::Pistol).clip = 1;
         world.Frame();
       },
       1000},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    explore::World world;
    world.Arm(explore::Rifle, 30, 90);
    world.Arm(explore::Pistol, 2, 60);
    world.Frame();
    world.Tap(explore::key::Trigger);  // one shot: held at the last cartridge, 59 in all
    world.Frame();
    ASSERT_EQ(world.host.game.Weapon(explore::Pistol).total, 59);
    bool lying = false;
    world.host.lie = [&](NativeHash hash, sim::Invocation& call) {
      if (lying && hash == sim::native::GetTotalAmmo) call.Return(test.lie);
    };
    const long before = promises::TakeWeaponBefore(world.host).rounds;
    if (test.lie == 0) {
      lying = true;
      world.Frame();
      lying = false;
    }
    test.between(world);
    const long after = promises::TakeWeaponBefore(world.host).rounds;
    lying = true;
    world.Frame();
    lying = false;
    world.host.input.keys = {};
    for (int pass = 0; pass < 3; ++pass) world.Frame();
    EXPECT_TRUE(promises::RoundsKept(world.host, after));
    if (test.lie == 0) {
      EXPECT_EQ(promises::TakeWeaponBefore(world.host).rounds, before);
    }
  }
}
