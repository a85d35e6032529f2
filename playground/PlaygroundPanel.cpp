// What the playground shows and records of the world and the plug-in: the
// panel's lines, the ammunition counter and the record's line a frame.
#include "PlaygroundSession.h"
#include "PlaygroundView.h"

#include "GameProcess.h"
#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/KeyNames.h"

#include <windows.h>
// windows.h first: these need its types.
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace playground {

// The game's own sounds the plug-in plays, by what they mean.
std::string FrontendSoundName(const std::string& name) {
  if (name == "NAV_UP_DOWN") return "menu move";
  if (name == "SELECT") return "menu select";
  if (name == "BACK") return "menu back";
  if (name == "CONTINUE") return "menu open";
  return name;
}

// The name of a control the plug-in disables, as the panel shows it.
const char* ControlName(std::int32_t control) {
  switch (static_cast<Control>(control)) {
    case Control::Sprint:
      return "sprint";
    case Control::Jump:
      return "jump";
    case Control::Attack:
      return "attack";
    case Control::Reload:
      return "reload";
    case Control::VehicleAttack:
      return "vehicle attack";
    case Control::Accelerate:
      return "accelerate";
    case Control::LeaveVehicle:
      return "leave vehicle";
    case Control::VehiclePassengerAttack:
      return "passenger attack";
    case Control::VehicleFlyAttack:
      return "fly attack";
    case Control::MeleeAttackLight:
      return "melee light";
    case Control::MeleeAttackHeavy:
      return "melee heavy";
    case Control::MeleeAttackAlternate:
      return "melee alternate";
    case Control::Attack2:
      return "attack 2";
    case Control::MeleeAttack1:
      return "melee 1";
    case Control::MeleeAttack2:
      return "melee 2";
  }
  return nullptr;
}

namespace {

// The controls the plug-in disabled this frame, by name, a few to a line,
// each name but the last followed by a comma: names have spaces in them.
std::vector<std::string> DisabledLines(const sim::Game& game) {
  std::vector<std::string> lines;
  std::string line = "Disabled:";
  const std::set<std::int32_t> controls(game.disabledControls.begin(), game.disabledControls.end());
  if (controls.empty()) line += " none";
  for (auto control = controls.begin(); control != controls.end(); ++control) {
    const char* name = ControlName(*control);
    std::string entry = name != nullptr ? name : "control " + std::to_string(*control);
    if (std::next(control) != controls.end()) entry += ',';
    if (line.size() + 1 + entry.size() > PanelColumns) {
      lines.push_back(line);
      line = "         ";
    }
    line += ' ' + entry;
  }
  lines.push_back(line);
  return lines;
}

bool Disabled(const sim::Game& game, std::int32_t control) {
  return std::find(game.disabledControls.begin(), game.disabledControls.end(), control) !=
         game.disabledControls.end();
}

std::string Argument(std::uint64_t value) {
  if (value > 0xFFFFFFFFULL) return "p";
  const auto number = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (number > -0x10000 && number < 0x10000) return std::to_string(number);
  float asFloat;
  const auto bits = static_cast<std::uint32_t>(value);
  std::memcpy(&asFloat, &bits, sizeof asFloat);
  char text[32];
  std::snprintf(text, sizeof text, "%gf", static_cast<double>(asFloat));
  return text;
}

// The natives that change the game; queries and drawing are left out (the
// texts are listed on their own).
bool ChangesTheGame(NativeHash hash) {
  using namespace sim::native;
  static const std::set<NativeHash> changes = {DisableControl, SetControlValueNextFrame,  SetAmmoInClip,
                                               SetTotalAmmo,   HideHudComponentThisFrame, SetEngine,
                                               SetUndriveable, TaskLeaveVehicle,          SetVehicleVelocity,
                                               SetWantedLevel, ApplyWantedLevel,          TaskHandsUp,
                                               ClearTasks,     SetMaxPaceThisFrame,       SetActionMode};
  return changes.count(hash) == 1;
}

}  // namespace

std::vector<std::string> Playground::Panel() const {
  const sim::Game& game = host_.game;
  const sim::Character& character = game.character;
  std::vector<std::string> lines = {"HALVANE PLAYGROUND  (F1: keys)",
                                    host_.Loaded() ? "plug-in loaded" : "plug-in NOT loaded", ""};
  char line[96];
  if (const sim::VehicleModel* car = CarSatIn()) {
    // As the plug-in left it this frame, before the world moved the car on.
    const float speed = game.speedAfterPass;
    lines.push_back("In a car");
    std::snprintf(line, sizeof line, "Speed  %.2f m/s  %d mph", static_cast<double>(speed),
                  static_cast<int>(speed * MilesPerHour));
    lines.emplace_back(line);
    std::string gear = "none shown";
    for (const sim::DrawnText& text : game.texts) {
      if (text.style.font == 4 && text.style.scaleX == 0.5F) gear = text.text;
    }
    lines.push_back("Gear   " + gear);
    lines.push_back(std::string("Engine ") + (car->engineRunning ? "running" : "off") +
                    (car->undriveable ? ", held" : ""));
  } else {
    lines.push_back("On foot");
    std::snprintf(line, sizeof line, "Pace   %s",
                  game.paceCap == 0.0F   ? "free"
                  : game.paceCap == 1.0F ? "walking (cap 1)"
                                         : "sprint (cap 3)");
    lines.emplace_back(line);
  }
  const sim::WeaponModel* held = WeaponInHand();
  lines.push_back("Weapon " + std::string(Weapons[weapon_].name));
  if (held != nullptr) {
    std::snprintf(line, sizeof line, "  magazine %d  reserve %d", held->clip, held->total - held->clip);
    lines.emplace_back(line);
  }
  const bool fireBlocked = Disabled(game, AttackControl);
  const bool empty = fireBlocked && held != nullptr && held->clip == 1 && game.hiddenHud.count(2) == 1;
  lines.push_back(std::string("Status ") + (reloading_    ? "Reloading"
                                            : empty       ? "Empty"
                                            : fireBlocked ? "Safety ON"
                                                          : "ready"));
  std::snprintf(line, sizeof line, "Wanted %d   hands %s", character.wantedLevel,
                character.handsUp ? "UP" : "down");
  lines.emplace_back(line);
  std::snprintf(line, sizeof line, "Shots  %d  reloads %d", game.shotsFired, game.reloads);
  lines.emplace_back(line);
  const std::vector<std::string> disabled = DisabledLines(game);
  lines.insert(lines.end(), disabled.begin(), disabled.end());
  lines.emplace_back("");
  lines.emplace_back("-- log --");
  lines.insert(lines.end(), log_.begin(), log_.end());
  return lines;
}

std::string Playground::AmmoCounter() const {
  const sim::WeaponModel* held = WeaponInHand();
  if (held == nullptr || held->magazine == 0 ||
      host_.game.hiddenHud.count(static_cast<std::int32_t>(HudComponent::WeaponIcon)) == 1)
    return {};
  char text[64];
  std::snprintf(text, sizeof text, "%s  %d | %d", Weapons[weapon_].name, held->clip,
                held->total - held->clip);
  return text;
}

std::string Playground::RecordLine() const {
  const sim::Game& game = host_.game;
  char opening[64];
  std::snprintf(opening, sizeof opening, "frame %d tick %u |", host_.frameNumber, host_.input.tick);
  std::string line = opening;
  for (const sim::NativeCallRecord& call : host_.frameCalls) {
    if (!ChangesTheGame(call.hash)) continue;
    line += ' ';
    line += game.NameOf(call.hash);
    line += '(';
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      if (i > 0) line += ',';
      line += Argument(call.args[i]);
    }
    line += ')';
  }
  // Each text with where the plug-in drew it (screen fractions, x and y), so
  // that a check can find a row by its label and the footer by its place.
  line += " | texts:";
  for (const sim::DrawnText& text : game.texts) {
    char at[40];
    std::snprintf(at, sizeof at, "@%.3f,%.3f", static_cast<double>(text.x), static_cast<double>(text.y));
    line += " \"" + text.text + "\"" + at;
  }
  line += " | sounds:";
  for (const PlayedClip& clip : framePlayed)
    line += std::string(" \"") + clip.name + (clip.accepted ? "\" accepted" : "\" refused");
  for (const sim::FrontendSound& sound : game.frontendSounds)
    line += " \"" + FrontendSoundName(sound.name) + "\"";
  line += " | notices:";
  for (const std::string& notice : frameNotices_) line += " \"" + notice + "\"";
  const std::string counter = AmmoCounter();
  line += " | ammo counter: " + (counter.empty() ? std::string("hidden") : counter);
  if (!loadError_.empty()) {
    std::string error = loadError_;
    std::replace(error.begin(), error.end(), '\n', ';');
    line += " | plug-in error: " + error;
  }
  line += " | world:";
  const sim::Character& character = game.character;
  if (const sim::VehicleModel* car = CarSatIn()) {
    char text[64];
    std::snprintf(text, sizeof text, " in car, engine %s, speed %.2f", car->engineRunning ? "on" : "off",
                  static_cast<double>(game.speedAfterPass));
    line += text;
  } else {
    line += " on foot";
  }
  const sim::WeaponModel* held = WeaponInHand();
  char world[128];
  std::snprintf(world, sizeof world, ", weapon %s %d/%d, shots %d, wanted %d%s, load %d",
                Weapons[weapon_].name, held != nullptr ? held->clip : 0, held != nullptr ? held->total : 0,
                game.shotsFired, character.wantedLevel, character.handsUp ? ", hands up" : "", loads_);
  line += world;
  line += " | panel:";
  for (const std::string& disabled : DisabledLines(game)) line += " [" + disabled + "]";
  // The list F1 shows, while it shows.
  if (!help_.empty()) {
    line += " | help:";
    for (const std::string& help : help_) {
      if (!help.empty()) line += " [" + help + "]";
    }
  }
  return line;
}

}  // namespace playground
