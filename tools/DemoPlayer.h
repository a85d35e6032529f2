// The demo player: the script's actions played through the substitute host
// and the real FrameLoop, and what each frame shows, plays and changes told
// as the story.
#pragma once

#include "DemoScene.h"
#include "DemoScript.h"
#include "DemoStory.h"
#include "Host.h"
#include "Render.h"
#include "input/KeyNames.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

constexpr std::uint32_t FrameMilliseconds = 16;

class Demo {
 public:
  Demo(const std::filesystem::path& output)
      : output_(output),
        host_(HALVANE_PLUGIN_FILE, output / "game"),
        story_(Prepared(output) / "story.txt") {}

  void Start() {
    host_.Load();
    // The library is this machine's build of the plug-in, from the same
    // source as Halvane.asi, in a game folder the tour makes afresh.
    story_.Print(
        "The demo tour: Halvane, built for this machine from the same source as Halvane.asi, played\n"
        "by the substitute game host.\n");
  }

  void Run(const std::vector<std::string>& words) {
    const std::string& command = words[0];
    const auto argument = [&](std::size_t i) -> const std::string& {
      if (i >= words.size())
        throw ScriptError{"'" + command + "' needs " + std::to_string(i) + " argument(s)"};
      return words[i];
    };
    sim::Game& game = host_.game;
    if (command == "say") {
      std::string text;
      for (std::size_t i = 1; i < words.size(); ++i) text += (i > 1 ? " " : "") + words[i];
      story_.Print("\n== " + text + "\n");
    } else if (command == "frames") {
      Frames(Number<int>(argument(1), "a frame count"));
    } else if (command == "wait") {
      const auto milliseconds = Number<std::uint32_t>(argument(1), "milliseconds");
      Frames(static_cast<int>((milliseconds + FrameMilliseconds - 1) / FrameMilliseconds));
    } else if (command == "hold" || command == "release" || command == "tap") {
      const KeyCode key = Key(argument(1));
      SetKey(key, command != "release");
      if (command == "tap") {
        Frames(1);
        SetKey(key, false);
        Frames(1);
      }
    } else if (command == "pad") {
      const std::string& state = argument(1);
      if (state != "connect" && state != "disconnect") throw ScriptError{"pad takes connect or disconnect"};
      host_.input.padConnected = state == "connect";
    } else if (command == "weapon") {
      if (argument(1) == "unarmed") {
        game.Draw(sim::Unarmed);
      } else {
        const auto hash = Number<std::uint32_t>(argument(1), "a weapon hash");
        const auto clip = Number<std::int32_t>(argument(2), "a clip count");
        game.GiveWeapon(hash, clip, Number<std::int32_t>(argument(3), "a magazine size"),
                        Number<std::int32_t>(argument(4), "a total"));
        game.Draw(hash);
        game.Weapon(hash).clip = clip;
      }
    } else if (command == "clip" || command == "ammo") {
      if (!game.character.weapons.contains(game.character.weapon)) throw ScriptError{"no weapon in hand"};
      const auto value = Number<std::int32_t>(argument(1), "a count");
      (command == "clip" ? game.Weapon(game.character.weapon).clip
                         : game.Weapon(game.character.weapon).total) = value;
    } else if (command == "car") {
      const std::string& state = argument(1);
      if (state != "running" && state != "off") throw ScriptError{"car takes running or off"};
      car_ = game.SpawnVehicle(state == "running");
      game.Enter(car_);
    } else if (command == "speed") {
      if (car_ == 0) throw ScriptError{"no car yet"};
      game.Vehicle(car_).velocity = {Number<float>(argument(1), "a speed"), 0.0F, 0.0F};
    } else if (command == "wanted") {
      game.character.wantedLevel = Number<std::int32_t>(argument(1), "a wanted level");
    } else if (command == "dead") {
      game.character.dead = argument(1) == "yes";
    } else if (command == "shot") {
      const std::filesystem::path file = output_ / "screenshots" / (argument(1) + ".png");
      if (!sim::RenderFrame(game, file.string())) throw ScriptError{"cannot write " + file.string()};
      Say("screenshot " + file.string());
    } else {
      throw ScriptError{"unknown action '" + command + "'"};
    }
  }

  int Finish() {
    host_.Unload();
    for (const std::string& error : host_.errors) story_.Print("host error: " + error + "\n");
    story_.Print("\nHalvane unloaded after " + std::to_string(host_.frameNumber) + " frames.\n");
    return host_.errors.empty() ? 0 : 1;
  }

 private:
  KeyCode Key(const std::string& name) {
    const std::optional<KeyCode> key = ParseKey(name);
    if (!key) throw ScriptError{"unknown key '" + name + "'"};
    return *key;
  }

  void SetKey(KeyCode key, bool down) {
    static const std::map<KeyCode, std::uint16_t> padBits = {
        {256, 0x1000}, {257, 0x2000}, {258, 0x4000}, {259, 0x8000}, {260, 0x0100},
        {261, 0x0200}, {262, 0x0020}, {263, 0x0010}, {264, 0x0040}, {265, 0x0080},
        {266, 0x0001}, {267, 0x0002}, {268, 0x0004}, {269, 0x0008}};
    if (key < 256) {
      host_.input.keys[static_cast<std::size_t>(key)] = down;
    } else if (key == 270 || key == 271) {
      (key == 270 ? host_.input.leftTrigger : host_.input.rightTrigger) = down ? 255 : 0;
    } else {
      const std::uint16_t bit = padBits.at(key);
      host_.input.padButtons =
          static_cast<std::uint16_t>(down ? host_.input.padButtons | bit : host_.input.padButtons & ~bit);
    }
  }

  std::string Stamp() const {
    char text[48];
    std::snprintf(text, sizeof text, "[frame %4d, %6.2f s]", host_.frameNumber,
                  static_cast<double>(host_.frameNumber) * FrameMilliseconds / 1000.0);
    return text;
  }

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      host_.input.tick += FrameMilliseconds;
      host_.Frame();
      Tell();
    }
  }

  Scene Look() const {
    const sim::Game& game = host_.game;
    Scene scene;
    for (const auto& text : game.texts) {
      if (text.y == 0.92F || text.y == 0.915F) scene.lines.insert(text.text);
      if (text.y == 0.182F) scene.menuOpen = true;
      if (text.style.font == 4 && text.style.scaleX == 0.5F) scene.gear = std::stoi(text.text);
    }
    for (const auto& [handle, vehicle] : game.vehicles) scene.engines[handle] = vehicle.engineRunning;
    scene.handsUp = game.character.handsUp;
    scene.wanted = game.character.wantedLevel;
    scene.pace = game.paceCap;
    scene.ammoCounterHidden = game.hiddenHud.contains(20);
    scene.vehicle = game.character.vehicle;
    scene.firingBlocked = std::find(game.disabledControls.begin(), game.disabledControls.end(), 24) !=
                          game.disabledControls.end();
    std::ifstream file(host_.Folder() / "Halvane.ini");
    std::ostringstream settings;
    settings << file.rdbuf();
    scene.settings = settings.str();
    return scene;
  }

  void Say(const std::string& what) { story_.Print(Stamp() + " " + what + "\n"); }

  void Tell() {
    const sim::Game& game = host_.game;
    const Scene now = Look();
    for (const auto& sound : host_.frameSounds) Say(std::string("plays the ") + ClipName(sound.size));
    for (const auto& sound : game.frontendSounds) Say("plays the frontend sound " + sound.name);
    for (std::size_t i = notificationsSeen_; i < game.notifications.size(); ++i) {
      Say("posts a notification: " + game.notifications[i]);
    }
    notificationsSeen_ = game.notifications.size();
    for (const std::string& line : now.lines) {
      // The closing quote in white, the terminal's own colour.
      if (!seen_.lines.contains(line)) Say("shows \"" + line + "~w~\"");
    }
    if (now.menuOpen != seen_.menuOpen)
      Say(now.menuOpen ? "opens the settings menu" : "closes the settings menu");
    if (now.gear != seen_.gear && now.gear != 0) Say("gear indicator shows gear " + std::to_string(now.gear));
    for (const auto& [handle, running] : now.engines) {
      const auto before = seen_.engines.find(handle);
      if (before == seen_.engines.end() || before->second != running) {
        Say(std::string("engine of car ") + std::to_string(handle) + (running ? " is running" : " is off"));
      }
    }
    if (now.firingBlocked != seen_.firingBlocked)
      Say(now.firingBlocked ? "blocks firing" : "lets the weapon fire");
    if (now.vehicle != seen_.vehicle) {
      Say(now.vehicle != 0 ? "the player sits in car " + std::to_string(now.vehicle)
                           : "the player is out of car " + std::to_string(seen_.vehicle));
    }
    if (now.ammoCounterHidden != seen_.ammoCounterHidden) {
      Say(now.ammoCounterHidden ? "hides the ammunition counter" : "shows the ammunition counter again");
    }
    if (const int rounds = game.shotsFired - shots_; rounds != 0)
      Say("the weapon fires " + std::to_string(rounds) + (rounds == 1 ? " round" : " rounds"));
    shots_ = game.shotsFired;
    if (game.reloads != reloads_) Say("the game reloads the magazine");
    reloads_ = game.reloads;
    if (now.handsUp != seen_.handsUp)
      Say(now.handsUp ? "the player raises the hands" : "the player lowers the hands");
    if (now.wanted != seen_.wanted) Say("wanted level is " + std::to_string(now.wanted));
    // The pace is capped only on foot with the menu closed.
    if (now.pace != seen_.pace && game.character.vehicle == 0 && !now.menuOpen) {
      Say(now.pace == 1.0F   ? "holds the player to walking pace"
          : now.pace == 3.0F ? "lets the player sprint"
                             : "lets the player move freely");
    }
    if (now.settings != seen_.settings) Say("Halvane.ini is written");
    seen_ = now;
  }

  // The output folder, made ready for a play: a fresh install of the game
  // folder, and a folder for the screenshots.
  static const std::filesystem::path& Prepared(const std::filesystem::path& output) {
    std::filesystem::remove_all(output / "game");
    std::filesystem::create_directories(output / "screenshots");
    return output;
  }

  std::filesystem::path output_;
  sim::Host host_;
  Story story_;
  Scene seen_;
  std::size_t notificationsSeen_ = 0;
  int shots_ = 0;
  int reloads_ = 0;
  std::int32_t car_ = 0;
};
