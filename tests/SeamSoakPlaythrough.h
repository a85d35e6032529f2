// The seam soak's fixture: random play where the features meet, and what
// must hold after every pass in a player's words.
#pragma once

#include "Playthrough.h"
#include "Promises.h"
#include "config/SettingsTable.h"
#include "feedback/Sound.h"
#include "menu/Menu.h"
#include "weapons/WeaponTables.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Random play where the features meet: the menu opened mid-fire, every page
// and row, captures, weapons at their hold or taken away, the car and its
// gears from either seat, seats and cars changed under the open menu, hot
// reloads, a disk that refuses now and then and host calls that throw,
// checked against what a player would state. HALVANE_SEAM_SEED replays a run;
// HALVANE_SEAM_PASSES sets its length (5,000 a seed unless told).
class SeamSoakTest : public Playthrough {
 protected:
  static constexpr KeyCode F2 = 0x71;
  static constexpr KeyCode Trigger = 0x01;
  static constexpr KeyCode MenuKeys[] = {0x25, 0x26, 0x27, 0x28, 0x0D, 0x08, F2};
  static constexpr KeyCode PlayKeys[] = {'T', 'R', 'G', '1', '3', 'Y', Trigger, 'K'};
  static constexpr std::uint32_t Firearms[] = {0x1B06D571, 0xBFEFFF6D, 0x13E577CB, 0x0781FE4C};

  static constexpr const char* StartFile = "Gear1=inf\nGear2=1.5\nGear3=inf\n";
  std::mt19937 random;
  bool Chance(unsigned inThousand) { return random() % 1000 < inThousand; }
  long given = 0;  // every cartridge the game has handed out
  // The limits of the file after the last pass; a limit keeps its last value
  // over a pass that left its line out.
  std::array<float, 4> limitsBefore = promises::FileGearLimits(StartFile);
  std::string fileBefore;

  using WeaponBefore = promises::WeaponBefore;
  // The wheel the character sits at (0: none), and whether getting in is
  // still to be shown by the gear indicator. Taking a wheel from no wheel
  // (on foot, another seat) is getting in; so is going straight from one
  // wheel to another's while the menu is open.
  std::int32_t wheel = 0;
  bool entryToShow = false;
  bool swappedWheels = false;
  // The highest gear the car's speed called for on a pass while getting in
  // was still to be shown: the lowest gear whose limit holds that speed.
  int entryGearMost = 1;
  void NoteWheel() {
    const sim::Character& character = host.game.character;
    const std::int32_t now = character.seat == -1 ? character.vehicle : 0;
    if (now != 0 && wheel == 0) {
      entryToShow = true;
      entryGearMost = 1;
    }
    swappedWheels = now != 0 && wheel != 0 && now != wheel;
    wheel = now;
    if (entryToShow && now != 0) {
      const float speed = host.game.Vehicle(now).velocity.x;
      int gear = 1;
      while (gear < 5 && speed > limitsBefore[static_cast<std::size_t>(gear - 1)]) ++gear;
      entryGearMost = std::max(entryGearMost, gear);
    }
  }
  void NoteSwapUnderTheMenu() {
    const bool menuOpen = std::any_of(host.game.texts.begin(), host.game.texts.end(),
                                      [](const sim::DrawnText& text) { return text.text == "~y~>"; });
    if (swappedWheels && menuOpen) entryToShow = true;
  }
  // The gear the indicator shows selected this frame, 0 when none is drawn.
  int ShownGear() const {
    for (const sim::DrawnText& text : host.game.texts) {
      if (text.style.font == 4 && text.style.scaleX == 0.5F) return std::stoi(text.text);
    }
    return 0;
  }

  void Toggle(KeyCode key, unsigned inThousand) {
    if (Chance(inThousand)) host.input.keys[static_cast<std::size_t>(key)] ^= true;
  }

  void RandomPass() {
    for (KeyCode key : MenuKeys) Toggle(key, 60);
    for (KeyCode key : PlayKeys) Toggle(key, 80);
    host.input.tick += Chance(10) ? static_cast<std::uint32_t>(random() % 5000) : 16U;
    sim::Game& game = host.game;
    if (Chance(15)) {
      const std::uint32_t weapon = Firearms[random() % std::size(Firearms)];
      if (!game.character.weapons.contains(weapon)) {
        // Small magazines, so that weapons come to their hold often.
        const std::int32_t magazine = 1 + static_cast<std::int32_t>(random() % 6);
        const std::int32_t total = static_cast<std::int32_t>(random() % 40);
        game.GiveWeapon(weapon, std::min(magazine, total), magazine, total,
                        Chance(500) ? sim::FireMode::PerPull : sim::FireMode::EachFrame);
        given += total;
      }
      game.Draw(weapon);
    }
    if (Chance(5) && game.character.weapons.contains(game.character.weapon)) {
      game.Weapon(game.character.weapon).total += 10;  // picked up
      given += 10;
    }
    if (Chance(3) && !game.character.weapons.empty()) {  // one taken away (a script, an arrest)
      auto taken = game.character.weapons.begin();
      std::advance(taken, static_cast<long>(random() % game.character.weapons.size()));
      if (taken->first == game.character.weapon) game.character.weapon = sim::Unarmed;
      game.character.weapons.erase(taken);
    }
    if (Chance(6))
      game.Enter(game.character.vehicle != 0 ? 0 : game.SpawnVehicle(Chance(500)), Chance(200) ? 0 : -1);
    // Another seat of the same car, or the same seat of another: often while
    // the menu is open.
    const bool menuOpen = std::any_of(game.texts.begin(), game.texts.end(),
                                      [](const sim::DrawnText& text) { return text.text == "~y~>"; });
    if (game.character.vehicle != 0 && Chance(menuOpen ? 40 : 3)) {
      if (Chance(500)) {
        game.Enter(game.character.vehicle, game.character.seat == -1 ? 0 : -1);
      } else {
        game.Enter(game.SpawnVehicle(Chance(500)), game.character.seat);
      }
    }
    if (game.character.vehicle != 0 && Chance(80)) {
      game.Vehicle(game.character.vehicle).velocity = {static_cast<float>(random() % 60), 0.0F, 0.0F};
    }
    host.environment.replaceFails = Chance(200);
    host.environment.cutFails = Chance(100);
    using Fault = sim::Environment::TemporaryFault;
    host.environment.temporaryFault =
        Chance(300) ? std::array{Fault::Write, Fault::Flush, Fault::Close}[random() % 3] : Fault::None;
    host.throwingNative = Chance(20)   ? sim::native::PlayFrontendSound
                          : Chance(10) ? sim::native::PostNotification
                                       : 0;
  }

  // The file is at every moment a whole settings file: the one before the
  // pass, or one written whole; either may be followed by the blank lines
  // that pad an in-place write.
  static std::string Unpadded(std::string text) {
    while (text.ends_with("\n\n")) text.pop_back();
    return text;
  }
  bool Whole(const std::string& moment) const {
    const std::string text = Unpadded(moment);
    if (text == Unpadded(fileBefore)) return true;
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    // A line a setting and one a section, the sections in the table's order.
    std::vector<std::string> expected;
    for (const SettingEntry& setting : SettingsTable) {
      const std::string section = SectionOf(setting.kind);
      if (std::find(expected.begin(), expected.end(), section) == expected.end()) expected.push_back(section);
      expected.push_back(std::string(setting.fileKey) + "=");
    }
    if (lines.size() != expected.size()) return false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].starts_with(expected[i])) return false;
    }
    return true;
  }

  // What must hold after every pass, in a player's words.
  // `saves`: 1 plus the saves this pass made beyond the presses that may save.
  void CheckPass(long pass, const std::vector<std::string>& moments, int switches, int saves,
                 const WeaponBefore& before) {
    ASSERT_TRUE(host.errors.empty()) << "pass " << pass << ": " << host.errors.front();
    ASSERT_TRUE(promises::LastCartridgeKept(host, before)) << "pass " << pass;
    ASSERT_TRUE(promises::OnlySoundNumbersHanded(host)) << "pass " << pass;
    ASSERT_TRUE(promises::TextCommandsEnded(host, host.throwingNative)) << "pass " << pass;
    // Getting in, or back to the wheel, starts in the lowest gear whose
    // limit holds the car's speed (gear 1 standing; one more if a gear-up
    // press fires on that very pass), whatever the menu did meanwhile.
    // The limits in force are the file's until a save fails (then they may
    // be ahead of it, and the gear's bound is unknown here).
    const bool fileLags = std::any_of(
        host.game.notifications.begin(), host.game.notifications.end(),
        [](const std::string& text) { return text.find("could not be saved") != std::string::npos; });
    if (const int shown = ShownGear(); entryToShow && shown != 0) {
      if (!fileLags) {
        ASSERT_LE(shown, entryGearMost + 1) << "pass " << pass << ": a car got into shows gear " << shown;
      }
      entryToShow = false;
    }
    ASSERT_TRUE(promises::NoRoundFromNothing(host, given)) << "pass " << pass;
    // The file never holds a mix of two saves, nor less than one.
    for (std::size_t i = 0; i < moments.size(); ++i) {
      ASSERT_TRUE(Whole(moments[i])) << "pass " << pass << ", file call " << i << ":\n" << moments[i];
    }
    // A limit shown with a figure never becomes No Limit (the player never
    // types one here), and no press takes one below 1 m/s.
    std::array<float, 4> limits = promises::FileGearLimits(ReadWhole(host.Folder() / "Halvane.ini"));
    for (std::size_t gear = 0; gear < 4; ++gear) {
      if (std::isnan(limits[gear])) limits[gear] = limitsBefore[gear];
      ASSERT_TRUE(std::isnan(limits[gear]) || limits[gear] >= 1.0F)
          << "pass " << pass << ": gear " << gear + 1;
    }
    ASSERT_TRUE(promises::NoLimitLost(limitsBefore, limits)) << "pass " << pass;
    limitsBefore = limits;
    // A key held acts once.
    ASSERT_LE(switches, 1) << "pass " << pass << ": the safety switched twice on one press";
    ASSERT_LE(saves, 1) << "pass " << pass << ": more saves than presses";
  }

  // A save the player asked for that could not be written is told: when a
  // pass's one fresh key is Left or Right on the gear speeds page, or Enter
  // on a switch row, the file is written or the notice has been posted in
  // this opening of the menu. The menu as drawn on the last pass is the one
  // this pass starts from when that pass took no fresh key and threw nothing.
  struct SaveExpected {
    bool expected;
  };
  std::array<bool, 256> keysTwoBefore{};
  bool lastPassThrew = false;
  std::ptrdiff_t unsavedAtOpening = 0;
  bool IsDrawn(const std::string& text) const {
    return std::any_of(host.game.texts.begin(), host.game.texts.end(),
                       [&](const sim::DrawnText& drawn) { return drawn.text == text; });
  }
  std::string SelectedLabel() const {
    const auto marker = std::find_if(host.game.texts.begin(), host.game.texts.end(),
                                     [](const sim::DrawnText& text) { return text.text == "~y~>"; });
    const sim::DrawnText* label = nullptr;
    for (const auto& text : host.game.texts) {
      if (marker != host.game.texts.end() && text.y == marker->y && text.x > marker->x &&
          (label == nullptr || text.x < label->x)) {
        label = &text;
      }
    }
    return label != nullptr ? label->text : "";
  }
  SaveExpected ExpectSave(const std::array<bool, 256>& keysBefore, bool reloaded) const {
    const bool settled = keysBefore == keysTwoBefore && !lastPassThrew && !reloaded;
    const bool capturing =
        std::any_of(host.game.texts.begin(), host.game.texts.end(),
                    [](const sim::DrawnText& text) { return text.text.ends_with("[...]"); });
    if (!settled || capturing || !IsDrawn("~y~>")) return {false};
    std::size_t fresh = 0;
    KeyCode only = 0;
    for (std::size_t key = 0; key < host.input.keys.size(); ++key) {
      if (host.input.keys[key] && !keysBefore[key]) {
        ++fresh;
        only = static_cast<KeyCode>(key);
      }
    }
    // Keys held since before the last pass have had their latches taken.
    if (fresh != 1) return {false};
    if (IsDrawn("~y~Halvane~w~ | Gear Speeds")) return {only == 0x25 || only == 0x27};
    const std::string selected = SelectedLabel();
    const bool onSwitch =
        std::any_of(SettingsTable.begin(), SettingsTable.end(), [&](const SettingEntry& setting) {
          return setting.kind == SettingKind::Switch && setting.menuLabel == selected;
        });
    return {only == 0x0D && onSwitch};
  }
  struct FileStamp {
    ino_t identity;
    timespec modified;
    off_t size;
  };
  FileStamp Stamp() const {
    struct stat info {};
    stat((host.Folder() / "Halvane.ini").c_str(), &info);
    return {info.st_ino, info.st_mtim, info.st_size};
  }
  std::ptrdiff_t UnsavedNotices() const {
    const auto& posted = host.game.notifications;
    return std::count(posted.begin(), posted.end(),
                      std::string("Halvane.ini could not be saved: changes last until the game closes"));
  }
  void CheckToldIfUnsaved(long pass, const SaveExpected& expected, const FileStamp& before) {
    const FileStamp after = Stamp();
    const bool written = after.identity != before.identity || after.size != before.size ||
                         after.modified.tv_sec != before.modified.tv_sec ||
                         after.modified.tv_nsec != before.modified.tv_nsec;
    const bool tellingFails = host.throwingNative == sim::native::PostNotification;
    if (expected.expected && !written && !tellingFails) {
      ASSERT_GT(UnsavedNotices(), unsavedAtOpening) << "pass " << pass << ": a save that failed was not told";
    }
    if (!IsDrawn("~y~>")) unsavedAtOpening = UnsavedNotices();
  }

  static std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
};
