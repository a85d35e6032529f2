// ResetPluginState, the one way tests, fuzz targets and benchmarks start
// fresh: after it, the plug-in linked into this program plays exactly as a
// freshly loaded one does, feature by feature.
#include "Playthrough.h"
#include "config/Settings.h"
#include "plugin/FrameLoop.h"
#include "vehicle/Gear.h"

#include <gmock/gmock.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::uint32_t CombatPistol = 0x5EF9FEC4;
constexpr std::uint32_t Rifle = 0xBFEFFF6D;
constexpr KeyCode F2 = 0x71;
constexpr KeyCode Enter = 0x0D;
constexpr KeyCode Down = 0x28;
constexpr KeyCode Ctrl = 0x11;
constexpr std::uint32_t LimiterOffset = 0x8CC;
constexpr std::uint32_t ProbeStart = 100000;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// One frame as the game saw it: the natives called (addresses left out,
// as they differ between two copies of the plug-in), the texts drawn, the
// sounds started and the limiter field of the first car.
std::string FrameSummary(const sim::Host& host) {
  std::ostringstream summary;
  for (const sim::NativeCallRecord& call : host.frameCalls) {
    summary << std::hex << call.hash << '(';
    for (std::uint64_t arg : call.args) summary << (arg > 0xFFFFFFFFU ? 0 : arg) << ',';
    summary << ") ";
  }
  for (const sim::DrawnText& text : host.game.texts) summary << '"' << text.text << "\" ";
  summary << std::dec << "sounds " << host.frameSounds.size();
  if (host.game.vehicles.count(0x2001) != 0) {
    float field;
    std::memcpy(&field, host.game.vehicles.at(0x2001).memory.data() + LimiterOffset, sizeof field);
    summary << " field " << field;
  }
  return summary.str();
}

// The world both plug-ins meet: two pistols and a rifle, the first pistol
// drawn, two stars, a running car waiting.
void BuildWorld(sim::Game& game) {
  game.GiveWeapon(Pistol, 12, 12, 60);
  game.GiveWeapon(CombatPistol, 12, 12, 60);
  game.GiveWeapon(Rifle, 20, 30, 90);
  game.Draw(Pistol);
  game.character.wantedLevel = 2;
  game.SpawnVehicle(true);
}

// The same play for both: on foot with each weapon, the trigger, the menu
// opened and a switch changed, then into the car at speed.
std::vector<std::string> Probe(sim::Host& host, const std::function<void()>& frame) {
  std::vector<std::string> frames;
  const auto step = [&](std::uint32_t milliseconds = 16) {
    host.input.tick += milliseconds;
    frame();
    frames.push_back(FrameSummary(host));
  };
  const auto tap = [&](KeyCode key) {
    host.input.keys[static_cast<std::size_t>(key)] = true;
    step();
    host.input.keys[static_cast<std::size_t>(key)] = false;
    step();
  };
  host.input.tick = ProbeStart;
  step(0);
  tap(1);  // the trigger
  host.game.Draw(CombatPistol);
  step();
  host.game.Draw(Rifle);
  step();
  tap(F2);
  for (int i = 0; i < 6; ++i) tap(Down);
  tap(Enter);  // "Hide Ammo Counter"
  tap(F2);
  host.game.Enter(0x2001);
  host.game.Vehicle(0x2001).velocity = {30.0F, 0.0F, 0.0F};
  step();
  step();
  return frames;
}

using ResetTest = Playthrough;

TEST_F(ResetTest, AfterAResetThePlugInPlaysAsAFreshlyLoadedOne) {
  // The freshly loaded plug-in (no settings file, no limiter field).
  BuildWorld(host.game);
  const std::vector<std::string> fresh = Probe(host, [&] { host.Frame(); });
  host.Unload();

  // The copy linked into this program, played into a state where every
  // feature holds something.
  sim::Host dirt(HALVANE_PLUGIN_FILE, folder / "dirt");
  std::vector<std::uint8_t> image(64 * 1024, 0x90);
  const std::uint8_t store[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83, 0xCC, 0x08, 0, 0};
  std::memcpy(image.data() + 4000, store, sizeof store);
  dirt.environment.mainImage = image;
  std::filesystem::create_directories(folder / "dirt");
  const auto pass = [&] {
    dirt.input.tick += 16;
    dirt.RunScript(RunFramePass);
  };
  const auto tap = [&](KeyCode key) {
    dirt.input.keys[static_cast<std::size_t>(key)] = true;
    pass();
    dirt.input.keys[static_cast<std::size_t>(key)] = false;
    pass();
  };
  dirt.input.tick = ProbeStart - 2000;
  dirt.RunScript([&] {
    ResetPluginState();
    SettingsPath = (folder / "dirt" / "Halvane.ini").string();
    LoadSettings();
    FindLimiterField();
  });
  ASSERT_NE(GearState.LimiterFieldOffset, 0U);
  BuildWorld(dirt.game);
  dirt.game.Weapon(Pistol).clip = 7;
  pass();
  tap('T');  // the pistol's catch on
  dirt.game.Draw(CombatPistol);
  pass();
  tap('T');
  dirt.game.Weapon(Rifle).clip = 1;
  dirt.game.Draw(Rifle);
  pass();  // the rifle Empty
  pass();
  dirt.game.Enter(0x2001);
  pass();
  tap('G');  // engine off
  tap('3');
  tap('3');  // gear 3
  dirt.game.Enter(0);
  pass();
  tap(Ctrl);  // free pace
  tap('Y');   // hands up
  dirt.game.Draw(CombatPistol);
  pass();
  dirt.input.tick = ProbeStart - 700;
  tap('T');  // and off again: a safety-off line still showing when the probe starts
  tap(F2);
  for (int i = 0; i < 6; ++i) tap(Down);
  tap(Enter);  // the ammo counter hidden
  tap(Down);
  tap(Enter);  // the gear system off
  tap(Down);
  tap(Down);
  tap(Down);
  tap(Down);
  tap(Down);  // a binding row
  dirt.input.keys[Enter] = true;
  pass();  // a capture running, Enter still held
  const std::string dirtFile = ReadFile(folder / "dirt" / "Halvane.ini");
  ASSERT_THAT(dirtFile, ::testing::HasSubstr("HideAmmoHud=1\nGearSystem=0\n"));
  ASSERT_LT(dirt.input.tick, ProbeStart);

  // Reset, then the settings read as start-up reads them (no file: the
  // defaults are written), so that the menu's saves reach a file as the
  // fresh plug-in's do.
  sim::Host probe(HALVANE_PLUGIN_FILE, folder / "probe");
  std::filesystem::create_directories(folder / "probe");
  probe.RunScript([&] {
    ResetPluginState();
    SettingsPath = (folder / "probe" / "Halvane.ini").string();
    LoadSettings();
  });
  BuildWorld(probe.game);
  const std::vector<std::string> reset = Probe(probe, [&] { probe.RunScript(RunFramePass); });

  ASSERT_EQ(reset.size(), fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(reset[i], fresh[i]) << "frame " << i;
  EXPECT_EQ(ReadFile(folder / "dirt" / "Halvane.ini"), dirtFile);  // no save goes to the old file
  EXPECT_TRUE(dirt.errors.empty() && probe.errors.empty());
}

}  // namespace
