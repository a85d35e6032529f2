// What the settings menu's playthroughs share: the keys, and a fixture that reads
// the menu as a player does, by the labels drawn on the screen.
#pragma once

#include "Playthrough.h"
#include "config/Config.h"
#include "menu/KeyCapture.h"
#include "menu/Menu.h"

#include <gmock/gmock.h>

#include <sys/stat.h>
#include <cmath>
#include <fstream>
#include <sstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr KeyCode F2 = 0x71;
constexpr KeyCode F5 = 0x74;
constexpr KeyCode Backspace = 0x08;
constexpr KeyCode Enter = 0x0D;
constexpr KeyCode Left = 0x25;
constexpr KeyCode Up = 0x26;
constexpr KeyCode Right = 0x27;
constexpr KeyCode Down = 0x28;

class MenuTest : public Playthrough {
 protected:
  std::vector<std::string> Sounds() const {
    std::vector<std::string> names;
    for (const auto& sound : host.game.frontendSounds) names.push_back(sound.name);
    return names;
  }
  // The text drawn at the marker's row, or "" when no marker is drawn.
  float MarkerY() const {
    for (const auto& text : host.game.texts) {
      if (text.text == "~y~>") return text.y;
    }
    return -1.0F;
  }
  const sim::DrawnText* TextAt(float x, float y) const {
    for (const auto& text : host.game.texts) {
      if (std::fabs(text.x - x) < 1e-5F && std::fabs(text.y - y) < 1e-5F) return &text;
    }
    return nullptr;
  }
  std::string File() const {
    std::ifstream file(host.Folder() / "Halvane.ini");
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }
  ino_t FileIdentity() const {
    struct stat info {};
    stat((host.Folder() / "Halvane.ini").c_str(), &info);
    return info.st_ino;
  }
  // The menu as a player reads it, found by the labels drawn this frame
  // rather than by where rows stand, so that a new row changes no test.
  const sim::DrawnText* Drawn(const std::string& text) const {
    for (const auto& drawn : host.game.texts) {
      if (drawn.text == text) return &drawn;
    }
    return nullptr;
  }
  // The text on `label`'s row right beside it: its key, switch or speed.
  const sim::DrawnText* ValueText(const std::string& label) const {
    const sim::DrawnText* row = Drawn(label);
    const sim::DrawnText* value = nullptr;
    for (const auto& text : host.game.texts) {
      if (row != nullptr && text.y == row->y && text.x > row->x && (value == nullptr || text.x < value->x)) {
        value = &text;
      }
    }
    return value;
  }
  std::string ValueOf(const std::string& label) const {
    const sim::DrawnText* value = ValueText(label);
    return value != nullptr ? value->text : "<no value beside \"" + label + "\">";
  }
  // The label of the row the marker stands on; "" with no marker.
  std::string Selected() const {
    const sim::DrawnText* marker = Drawn("~y~>");
    const sim::DrawnText* label = nullptr;
    for (const auto& text : host.game.texts) {
      if (marker != nullptr && text.y == marker->y && text.x > marker->x &&
          (label == nullptr || text.x < label->x)) {
        label = &text;
      }
    }
    return label != nullptr ? label->text : "";
  }
  // Down until the row labelled `label` is selected.
  void MoveTo(const std::string& label) {
    for (int press = 0; press < 32 && Selected() != label; ++press) Tap(Down);
    ASSERT_EQ(Selected(), label);
  }
  // Whether the player's features acted on this pass: the walking pace,
  // capped on every pass on foot, stands for them all.
  bool FeaturesRan() const {
    for (const auto& call : host.frameCalls) {
      if (call.hash == sim::native::SetMaxPaceThisFrame) return true;
    }
    return false;
  }
  void Open() {
    Tap(F2);
    ASSERT_TRUE(MarkerY() > 0.0F);
  }
  // Halvane.ini made unreadable (a link to itself), the plug-in started over
  // it and the menu open; the file's path.
  std::filesystem::path OpenOverAnUnreadableFile() {
    const std::filesystem::path file = host.Folder() / "Halvane.ini";
    std::filesystem::create_symlink("Halvane.ini", file);
    Frame();
    Open();
    return file;
  }
  void GoToGearSpeeds() {
    Open();
    Tap(Up);  // round to the last row
    ASSERT_EQ(Selected(), "Gear Speeds");
    Tap(Enter);
  }
};
