// Many passes of random input through the game model, with what must always
// hold checked on every pass. HALVANE_SOAK_PASSES sets the number (50,000
// unless told; the long run is 1,000,000).
#include "Playthrough.h"
#include "config/SettingsTable.h"
#include "feedback/Sound.h"
#include "menu/Menu.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Keys that mean something to the plug-in, the game model or the menu.
constexpr KeyCode Keys[] = {'T',  'R',  0x71, 'G',  'Y',  '1',  '3',  0x01, 0x02, 0x04,
                            'W',  'A',  'S',  'D',  0x09, 0x11, 0x10, 'F',  0x25, 0x26,
                            0x27, 0x28, 0x0D, 0x08, 'K',  '7',  0x74, 0x05, 0x60};
constexpr std::uint32_t Weapons[] = {0xA2719263, 0x1B06D571, 0xBFEFFF6D, 0x0781FE4C,
                                     0x93E220BD, 0x13E577CB, 0};

class SoakTest : public Playthrough {
 protected:
  std::mt19937 random{20261207};
  bool Chance(unsigned inThousand) { return random() % 1000 < inThousand; }

  void RandomInput() {
    for (KeyCode key : Keys) {
      if (Chance(40))
        host.input.keys[static_cast<std::size_t>(key)] = !host.input.keys[static_cast<std::size_t>(key)];
    }
    if (Chance(5)) host.input.padConnected = !host.input.padConnected;
    if (Chance(30)) host.input.padButtons = static_cast<std::uint16_t>(random() & random());
    if (Chance(30)) host.input.leftTrigger = static_cast<std::uint8_t>(random());
    if (Chance(30)) host.input.rightTrigger = static_cast<std::uint8_t>(random());
    // The clock: mostly a frame, sometimes a jump of up to a minute.
    host.input.tick += Chance(20) ? static_cast<std::uint32_t>(random() % 60000) : 16U;
  }

  void RandomWorld() {
    sim::Game& game = host.game;
    if (Chance(10)) {
      const std::uint32_t weapon = Weapons[random() % std::size(Weapons)];
      if (weapon != 0xA2719263 && !game.character.weapons.contains(weapon)) {
        const std::int32_t magazine = 1 + static_cast<std::int32_t>(random() % 30);
        game.GiveWeapon(weapon, magazine, magazine, static_cast<std::int32_t>(random() % 200));
      }
      game.Draw(weapon);
    }
    if (Chance(10) && game.character.weapons.contains(game.character.weapon)) {
      sim::WeaponModel& held = game.Weapon(game.character.weapon);
      held.clip = static_cast<std::int32_t>(random() % static_cast<unsigned>(held.magazine + 1));
      if (Chance(300)) held.total += 30;
    }
    if (Chance(8)) game.Enter(game.character.vehicle != 0 ? 0 : game.SpawnVehicle(Chance(500)));
    if (game.character.vehicle != 0 && Chance(50)) {
      game.Vehicle(game.character.vehicle).velocity = {static_cast<float>(random() % 60), 0.0F, 0.0F};
    }
    if (Chance(3)) game.character.dead = !game.character.dead;
    if (Chance(2)) game.character.exists = !game.character.exists;
    if (Chance(10)) game.character.wantedLevel = static_cast<std::int32_t>(random() % 6);
  }

  // What must hold after every pass.
  void CheckPass(long pass) {
    ASSERT_TRUE(host.errors.empty()) << "pass " << pass << ": " << host.errors.front();
    int selectedLabels = 0;
    int markers = 0;
    for (const sim::DrawnText& text : host.game.texts) {
      // Formatted texts stay within their buffers: the banner 64 bytes, the
      // menu's values 48, the gear labels 4.
      const std::size_t buffer = text.y == 0.915F ? 64 : text.x == 0.2F ? 48 : 0;
      if (buffer != 0) {
        ASSERT_LT(text.text.size(), buffer) << "pass " << pass << ": " << text.text;
      }
      if (text.style.font == 4) {
        ASSERT_LE(text.text.size(), 3U);
        if (text.style.scaleX == 0.5F) {
          ++selectedLabels;
          const int gear = std::stoi(text.text);
          ASSERT_TRUE(gear >= 1 && gear <= 5) << "pass " << pass << ": gear " << gear;
        }
      }
      if (text.x == 0.11F) {  // a gear speed value on the menu
        ASSERT_LE(text.text.size(), 47U);
        if (text.text.rfind("~y~", 0) == 0) {
          ASSERT_EQ(text.text.find("inf"), std::string::npos) << text.text;
          ASSERT_EQ(text.text.find("nan"), std::string::npos) << text.text;
        }
      }
      if (text.text == "~y~>") {
        ++markers;
        const float row = (text.y - 0.26F) / 0.048F;
        ASSERT_NEAR(row, std::round(row), 1e-3) << "pass " << pass;
        ASSERT_TRUE(row > -0.5F && row < static_cast<float>(KeybindingRowCount) - 0.5F)
            << "pass " << pass << ": marker row " << row;
      }
      if (text.text == "~o~[...]" || text.text == "~r~[...]") {
        const float row = (text.y - 0.26F) / 0.048F;
        ASSERT_TRUE(IsBindingRow(static_cast<std::int32_t>(std::lround(row))))
            << "pass " << pass << ": capture row " << row;
      }
    }
    for (const std::string& notification : host.game.notifications) ASSERT_LE(notification.size(), 63U);
    ASSERT_LE(selectedLabels, 1);
    ASSERT_LE(markers, 1);
    for (const auto& [hash, weapon] : host.game.character.weapons) {
      ASSERT_GE(weapon.clip, 0) << "pass " << pass;
      ASSERT_GE(weapon.total, 0) << "pass " << pass;
    }
  }
};

TEST_F(SoakTest, RandomPlayHoldsEveryInvariant) {
  const char* requested = std::getenv("HALVANE_SOAK_PASSES");
  const long passes = requested != nullptr ? std::atol(requested) : 50000;
  host.input.tick = 0xFFFF0000;  // the tick counter wraps early in the run
  for (long pass = 0; pass < passes; ++pass) {
    RandomInput();
    RandomWorld();
    host.Frame();
    CheckPass(pass);
    if (HasFatalFailure()) return;
  }
  // The settings, however often the menu changed them, are readable numbers.
  std::ifstream file(host.Folder() / "Halvane.ini");
  std::string line;
  int speeds = 0;
  while (std::getline(file, line)) {
    if (line.rfind("Gear", 0) == 0 && line.size() > 6 && line[5] == '=') {
      ++speeds;
      EXPECT_TRUE(std::isfinite(std::strtof(line.c_str() + 6, nullptr))) << line;
    }
  }
  EXPECT_EQ(speeds, 4);
  std::printf("%ld passes, %d shots, %d reloads, %zu notifications\n", passes, host.game.shotsFired,
              host.game.reloads, host.game.notifications.size());
}

}  // namespace
