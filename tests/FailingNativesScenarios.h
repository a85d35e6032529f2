// The scenarios the failing natives explorer walks
// (explore_failing_natives_tests.cpp), one row each: the clean passes up to
// the pass under test, and what the weapon may do on it and after it.
#pragma once

#include "ExplorerWorld.h"

#include <cstdint>

namespace failing_natives {

using explore::World;
namespace key = explore::key;

constexpr float Gear1Limit = 9.72F;

struct Scenario {
  const char* name;
  // Clean passes up to the pass under test, ending with the keys that pass holds.
  void (*setUp)(World&);
  // The weapon in hand cannot fire on the pass under test, nor after it.
  bool cannotFire;
  // Its magazine reaches its last cartridge on the pass under test.
  bool reachesLastCartridge = false;
  // What the world does before each pass of the walk after the first.
  void (*after)(World&, int pass) = nullptr;
};

inline void CatchOn(World& world) {
  world.Arm(explore::Pistol, 12);
  world.Frame();
  world.Tap(key::Safety);
}

const Scenario Scenarios[] = {
    {"catch-on",
     [](World& world) {
       CatchOn(world);
       world.Hold(key::Trigger);
     },
     true},
    {"reaching-the-last-cartridge",
     [](World& world) {
       world.Arm(explore::Pistol, 2);
       world.Frame();
       world.Frame();
       world.host.game.Weapon(explore::Pistol).clip = 1;
       world.Hold(key::Trigger);
     },
     true, true},
    {"held-at-the-last-cartridge",
     [](World& world) {
       world.Arm(explore::Pistol, 1);
       world.Frame();
       world.Frame();
       world.Hold(key::Trigger);
     },
     true},
    {"firing-to-the-last-cartridge",  // the total falls with every shot
     [](World& world) {
       world.Arm(explore::Pistol, 3);
       world.Frame();
       world.Hold(key::Trigger);
       world.Frame();
       world.Frame();
     },
     true, true},
    {"held-put-away-and-drawn-again",
     [](World& world) {
       world.Arm(explore::Pistol, 1);
       world.Frame();
       world.Frame();
       world.Hold(key::Trigger);
     },
     true, false,
     [](World& world, int pass) {
       if (pass == 1) world.host.game.Draw(sim::Unarmed);
       if (pass == 2) world.host.game.Draw(explore::Pistol);
     }},
    {"dying-held-at-the-last-cartridge",
     [](World& world) {
       world.Arm(explore::Pistol, 1);
       world.Frame();
       world.Frame();
       world.Hold(key::Trigger);
       world.host.game.character.dead = true;
     },
     true, false,
     [](World& world, int pass) {
       if (pass == 2) world.host.game.character.dead = false;
     }},
    {"drawing-a-caught-weapon",
     [](World& world) {
       world.Arm(explore::Rifle, 30, 90);
       world.Frame();
       world.Tap(key::Safety);
       world.Arm(explore::Pistol, 12);
       world.Frame();
       world.Frame();
       world.host.game.Draw(explore::Rifle);
       world.Hold(key::Trigger);
     },
     true},
    {"reloading",
     [](World& world) {
       world.Arm(explore::Pistol, 1);
       world.Frame();
       world.Frame();
       world.Hold(key::Reload);
       world.Frame();
       world.Release(key::Reload);
       world.Hold(key::Trigger);
     },
     false},
    {"menu-open-catch-on",
     [](World& world) {
       CatchOn(world);
       world.Tap(key::Menu);
       world.Hold(key::Trigger);
     },
     true},
    {"menu-open-reaching-the-last-cartridge",
     [](World& world) {
       world.Arm(explore::Pistol, 2);
       world.Frame();
       world.Tap(key::Menu);
       world.host.game.Weapon(explore::Pistol).clip = 1;
       world.Hold(key::Trigger);
     },
     true, true},
    {"menu-opened-on-the-pass",
     [](World& world) {
       CatchOn(world);
       world.Hold(key::Trigger);
       world.Hold(key::Menu);
     },
     true},
    {"menu-closed-on-the-pass",
     [](World& world) {
       CatchOn(world);
       world.Tap(key::Menu);
       world.Hold(key::Trigger);
       world.Hold(key::Menu);
     },
     true},
    {"key-capture",
     [](World& world) {
       world.Frame();
       world.Tap(key::Menu);
       world.Tap(key::Enter);  // the first row: Safety Toggle
       world.Hold('K');
     },
     false},
    {"driving-above-the-limit",
     [](World& world) {
       world.host.game.Enter(world.host.game.SpawnVehicle(true));
       world.Frame();
       world.Frame();
       world.host.game.Vehicle(world.host.game.character.vehicle).velocity = {20.0F, 1.0F, 0.0F};
     },
     false},
    {"getting-out",
     [](World& world) {
       world.host.game.Enter(world.host.game.SpawnVehicle(true));
       world.Frame();
       world.Frame();
       world.host.game.Enter(0);
     },
     false},
    {"getting-in",
     [](World& world) {
       world.Frame();
       world.Frame();
       const std::int32_t car = world.host.game.SpawnVehicle(true);
       world.host.game.Enter(car);
       world.host.game.Vehicle(car).velocity = {15.0F, 0.0F, 0.0F};
     },
     false},
};

}  // namespace failing_natives
