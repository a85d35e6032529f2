// A pass allocates nothing on the heap, in every mode, once the weapons in
// play have their table entries; only a pass that saves the settings does.
#include "Allocations.h"
#include "Playthrough.h"

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;

class AllocationTest : public Playthrough {
 protected:
  void SetUp() override {
    Playthrough::SetUp();
    ASSERT_TRUE(sim::CanCountAllocations());
    Frame();  // start-up reads and writes the settings file
  }
  // Runs frames and fails on any that allocated.
  void ExpectNoAllocations(const char* mode, int frames = 3) {
    for (int i = 0; i < frames; ++i) {
      Frame();
      EXPECT_EQ(host.pluginAllocations, 0) << mode << ", frame " << i;
    }
  }
};

TEST_F(AllocationTest, NoPassAllocatesExceptOneThatSaves) {
  ExpectNoAllocations("on foot, unarmed");

  host.game.GiveWeapon(Pistol, 2, 12, 40);
  host.game.Draw(Pistol);
  host.game.Weapon(Pistol).clip = 2;
  Frame();  // a weapon seen for the first time gets its table entries
  ExpectNoAllocations("a tracked weapon");
  Hold('T');
  ExpectNoAllocations("safety on, with its line", 2);
  Release('T');
  Frame();
  Tap('T');
  host.game.Weapon(Pistol).clip = 1;
  ExpectNoAllocations("empty magazine, with its line");
  Hold('R');
  ExpectNoAllocations("the reload key and the reload", 3);
  Release('R');

  host.game.character.wantedLevel = 3;
  Hold('Y');
  ExpectNoAllocations("surrendering", 2);
  Release('Y');

  const std::int32_t car = host.game.SpawnVehicle(false);
  host.game.Enter(car);
  Frame();
  Tap('G');
  host.game.Vehicle(car).velocity = {30.0F, 2.0F, 0.0F};
  Hold('3');
  ExpectNoAllocations("driving: gear banner, indicator and limiter");
  Release('3');

  Hold(0x71);
  ExpectNoAllocations("menu open, keybindings page", 2);
  Release(0x71);
  Tap(0x26);
  Hold(0x0D);
  ExpectNoAllocations("menu open, gear speeds page", 2);
  Release(0x0D);
  Hold(0x27);
  Frame();  // raising a limit saves the settings file
  EXPECT_GT(host.pluginAllocations, 0);
  ExpectNoAllocations("holding the key after the save", 2);
  Release(0x27);
  Tap(0x08);
  Tap(0x28);  // "Safety Toggle"
  Hold(0x0D);
  ExpectNoAllocations("a key capture in progress, blinking", 2);
  ASSERT_TRUE(Drew("~o~[...]") || Drew("~r~[...]"));
}

}  // namespace
