// Playthroughs of weapons as the game hands them around: another playable
// character taking over with weapons of the same types, and a weapon whose
// magazine holds one cartridge.
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>

#include <cstdint>

namespace runner {

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::uint32_t Rifle = 0xBFEFFF6D;
constexpr std::uint32_t FlareGun = 0x47757124;
constexpr const char* EmptyLine = "~o~EMPTY  ~y~[R]";

}  // namespace

void AnotherCharacter(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  // The first character: his rifle caught and put away with 5, his pistol
  // held at its last cartridge with 58 in all.
  game.GiveWeapon(Rifle, 5, 30, 90);
  game.character.weapon = Rifle;
  session.Frame();
  session.Tap('T');
  game.GiveWeapon(Pistol, 1, 12, 58);
  game.character.weapon = Pistol;
  session.Frame();
  session.Frame();
  Check(session.Drew(EmptyLine), "the first character's pistol is held at its last cartridge");

  // The player switches to another character carrying the same pistol with
  // 12 and 200, and a full rifle.
  game.character.handle += 0x100;
  game.character.model = 0x9B22DBAF;
  game.character.weapons.clear();
  game.GiveWeapon(Rifle, 30, 30, 120);
  game.GiveWeapon(Pistol, 12, 12, 200);
  for (int pass = 0; pass < 4; ++pass) session.Frame();
  Check(game.Weapon(Pistol).clip == 12 && game.Weapon(Pistol).total == 200 && !session.Drew(EmptyLine),
        "the other character's pistol keeps his magazine and his reserve");
  session.host.input.keys[VK_LBUTTON] = true;
  session.Frame();
  session.host.input.keys[VK_LBUTTON] = false;
  session.Frame();
  Check(game.shotsFired == 1, "the other character's pistol fires");
  game.character.weapon = Rifle;
  session.Frame();
  session.Frame();
  Check(game.Weapon(Rifle).clip == 30, "his rifle comes out with his own magazine");
  session.host.input.keys[VK_LBUTTON] = true;
  session.Frame();
  session.host.input.keys[VK_LBUTTON] = false;
  session.Frame();
  Check(game.shotsFired == 1, "the rifle's catch holds for every character");

  // A flare gun, whose magazine holds one: it fires, and fires again after
  // the game's reload.
  session.Tap('T');  // the rifle's catch off
  game.GiveWeapon(FlareGun, 1, 1, 5);
  game.character.weapon = FlareGun;
  session.Frame();
  for (int shot = 0; shot < 2; ++shot) {
    session.host.input.keys[VK_LBUTTON] = true;
    session.Frame();
    session.host.input.keys[VK_LBUTTON] = false;
    session.Tap('R');
  }
  Check(game.shotsFired == 3 && game.Weapon(FlareGun).clip == 1, "the flare gun fires after every reload");
  session.Finish();
}

}  // namespace runner
