// The game as its natives documentation describes it, met in play: a car of
// the passing traffic seats a stranger at any empty wheel it is asked about,
// and the magazine read answers whether it read a count.
#include "VehiclePlaythrough.h"
#include "WeaponsPlaythrough.h"

#include <map>
#include <sstream>

namespace {

constexpr KeyCode MenuKey = 0x71;  // F2

TEST_F(VehicleTest, APassengerOfAParkedCarNeverSeatsAStrangerAtItsWheelAndTakingTheWheelIsGettingIn) {
  const std::int32_t car = host.game.SpawnVehicle(false);
  host.game.Enter(car, 0);
  Frame();
  Tap(EngineKey);
  Tap(GearUpKey);
  Tap(MenuKey);  // the menu watches the seat too
  Frame();
  Tap(MenuKey);
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).otherDriver, 0) << "a stranger was seated at the wheel";
  EXPECT_FALSE(host.game.Vehicle(car).engineRunning);
  EXPECT_THAT(EngineCalls(host), IsEmpty());

  host.game.Enter(car, -1);  // moved over to the wheel
  Frame();
  EXPECT_EQ(ShownGear(), 1);
  Tap(EngineKey);
  EXPECT_TRUE(host.game.Vehicle(car).engineRunning);
  EXPECT_EQ(host.game.Vehicle(car).otherDriver, 0);
}

TEST_F(WeaponsTest, AMagazineReadTheGameCallsGoodIsNeverTakenForALostWeaponNorOneItCallsFailedForACount) {
  Arm(Pistol, 1);
  Frame();
  ASSERT_TRUE(FiringBlocked());
  // One pass on which the read is good but leaves no count in the variable.
  bool lying = true;
  host.lie = [&](NativeHash hash, sim::Invocation& call) {
    if (hash != sim::native::GetAmmoInClip || !lying) return;
    *call.Out<std::int32_t>(2) = -1;
    call.Return(true);
  };
  Hold(Trigger);
  Frame();
  EXPECT_TRUE(FiringBlocked());
  lying = false;
  Frame();
  Release(Trigger);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 0);
  EXPECT_EQ(Held().clip, 1);
  EXPECT_TRUE(Drew(EmptyLine));

  // A read the game calls failed is no count, whatever the variable holds:
  // the weapon is not the character's, and nothing of it is kept.
  host.game.GiveWeapon(Rifle, 7, 30, 90);
  host.game.Draw(Rifle);
  host.game.Weapon(Rifle).clip = 7;
  Frame();
  host.lie = [](NativeHash hash, sim::Invocation& call) {
    if (hash == sim::native::GetAmmoInClip && call.Hash(1) == Rifle) call.Return(false);
  };
  host.game.Draw(Pistol);
  for (int pass = 0; pass < 3; ++pass) Frame();
  host.lie = nullptr;
  host.game.Draw(Rifle);  // the game tops the magazine up
  Frame();
  EXPECT_EQ(host.game.Weapon(Rifle).clip, 30) << "a count the game said it did not read was remembered";
}

// What the game itself does with each key Halvane binds by default, from the
// game's control table, in the words the players' guide must use for it.
const std::map<std::string, std::vector<std::string>> GameUses = {
    {"T", {"replay"}},
    {"R", {"reload", "melee"}},
    {"G", {"grenade", "landing gear"}},
    {"3", {"shotgun"}},
    {"1", {"bare hands"}},
    {"Y", {"nothing in story mode"}},
    {"F2", {"replay", "record"}},
    {"Ctrl", {"crouch", "motorcycle"}},
};

TEST(GuideTest, SaysWhatTheGameDoesWithEveryDefaultKeyAndWithTheJumpTheExitAndTheHiddenCounter) {
  std::ifstream file(HALVANE_SOURCE_DIR "/docs/Halvane-Readme.txt");
  std::stringstream text;
  text << file.rdbuf();
  const std::string guide = text.str();
  const std::size_t block = guide.find("Halvane does not take these keys from the game");
  ASSERT_NE(block, std::string::npos);
  // The keys of the default file, and the fixed Ctrl.
  std::ifstream defaults(HALVANE_SOURCE_DIR "/tests/data/default-settings.ini");
  std::vector<std::string> keys = {"Ctrl"};
  for (std::string line; std::getline(defaults, line);) {
    if (line.starts_with("[Settings]")) break;
    if (const std::size_t equals = line.find('='); equals != std::string::npos)
      keys.push_back(line.substr(equals + 1));
  }
  for (const std::string& key : keys) {
    ASSERT_TRUE(GameUses.contains(key)) << "no game use known for the default key " << key;
    // The key's row ("\n  G  ...", or "3 / 1" for the second of a pair),
    // with the lines it runs on to.
    std::size_t row = guide.find("\n  " + key + " ", block);
    if (row == std::string::npos) row = guide.find(" / " + key + " ", block);
    ASSERT_NE(row, std::string::npos) << "the guide does not say what the game does with " << key;
    std::size_t end = row + 1;
    while ((end = guide.find("\n  ", end + 1)) != std::string::npos && guide[end + 3] == ' ') {
    }
    const std::string said = guide.substr(row, end - row);
    for (const std::string& use : GameUses.at(key))
      EXPECT_NE(said.find(use), std::string::npos) << key << ": " << use;
  }
  for (const char* fact :
       {"the jump key does nothing", "the door open", "stats\n    panel of the weapon wheel"})
    EXPECT_NE(guide.find(fact), std::string::npos) << fact;
}

}  // namespace
