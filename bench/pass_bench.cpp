// The cost of one frame pass in each mode, beside the bare cost of issuing
// the same native calls into the same null host; and the settings file's
// load and save. The ratio pass / calls is what the plug-in adds on top of
// the host's own work.
#include "NullHost.h"
#include "config/Config.h"
#include "config/Settings.h"
#include "host/FrameLoop.h"
#include "menu/Menu.h"
#include "vehicle/Gear.h"
#include "vehicle/Vehicle.h"
#include "weapons/WeaponTables.h"

#include <benchmark/benchmark.h>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr std::int32_t Car = 0x2001;

void AnswerTheWorld(bool inVehicle, std::int32_t clip) {
  using namespace null_host;
  SetAnswer(0xD80958FC74E988A6, IntAnswer(0x1001));                                // player character
  SetAnswer(0x3A87E44BB9A01D54, OutAnswer(1, static_cast<std::int32_t>(Pistol)));  // current weapon
  SetAnswer(0x7239B21A38F536BA, IntAnswer(1));                                     // exists
  SetAnswer(0x997ABD671D25CA0B, IntAnswer(inVehicle ? 1 : 0));                     // in any vehicle
  SetAnswer(0x9A9112A0FE9A4713, IntAnswer(Car));                                   // vehicle of character
  SetAnswer(0xAE31E7DF9B5B132E, IntAnswer(1));                                     // engine running
  SetAnswer(0xD5037BA82E12416F, FloatAnswer(30.0F));                               // speed
  SetAnswer(0x4805D2B1D8CF94A9, VectorAnswer(30.0F, 1.0F, 0.0F));                  // velocity
  SetAnswer(0x2E1202248937775C, OutAnswer(2, clip));                               // ammo in clip
  SetAnswer(0x015A522136D7F951, IntAnswer(40));                                    // total ammo
}

// The plug-in's state for each mode, set the way playing would leave it.
const std::map<std::string, std::function<void()>> Modes = {
    {"on foot, idle", [] { AnswerTheWorld(false, 10); }},
    {"driving, limiter acting",
     [] {
       AnswerTheWorld(true, 10);
       EngineState = {Car, true, false, 0, true};
       GearState.gear = 1;
       GearState.gearChangeTime = null_host::Tick;  // the banner shows
       GearState.LimiterFieldOffset = 16;
     }},
    {"weapon empty, line shown",
     [] {
       AnswerTheWorld(false, 1);
       ClipEmpty[Pistol] = true;
       EmptyNoticeTime = null_host::Tick;
     }},
    {"menu, keybindings page",
     [] {
       AnswerTheWorld(false, 10);
       MenuState.open = true;
       MenuState.page = MenuPage::KeybindingsPage;
     }},
    {"menu, gear speeds page",
     [] {
       AnswerTheWorld(false, 10);
       MenuState.open = true;
       MenuState.page = MenuPage::GearSpeedsPage;
     }},
};

void Reset() {
  MenuState.open = false;
  EngineState = {};
  ClipEmpty[Pistol] = false;  // entries are never removed: the plug-in keeps references to them
  PreviousWeapon = Pistol;
}

void Pass(benchmark::State& state, const std::string& mode) {
  Reset();
  Modes.at(mode)();
  RunFramePass();
  for (auto _ : state) RunFramePass();
}

void Calls(benchmark::State& state, const std::string& mode) {
  Reset();
  Modes.at(mode)();
  RunFramePass();
  null_host::StartRecording();
  RunFramePass();
  const std::vector<null_host::RecordedCall> calls = null_host::StopRecording();
  state.counters["natives"] = static_cast<double>(calls.size());
  for (auto _ : state) null_host::Replay(calls);
}

std::string SettingsFile() {
  return (std::filesystem::temp_directory_path() / "halvane-bench-settings.ini").string();
}

void LoadSettingsFile(benchmark::State& state) {
  SettingsPath = SettingsFile();
  Config = DefaultConfig;
  SaveSettings();
  for (auto _ : state) LoadSettings();
}

void SaveSettingsFile(benchmark::State& state) {
  SettingsPath = SettingsFile();
  for (auto _ : state) SaveSettings();
}

// Prints the ratio of each pass to its calls after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // With repetitions, the medians are compared; else the single runs.
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      times_[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-28s %10s %10s %7s\n", "mode", "pass ns", "calls ns", "ratio");
    for (const auto& [mode, setUp] : Modes) {
      const double pass = times_["Pass/" + mode];
      const double calls = times_["Calls/" + mode];
      if (pass > 0 && calls > 0)
        std::printf("%-28s %10.0f %10.0f %7.2f\n", mode.c_str(), pass, calls, pass / calls);
    }
  }

 private:
  std::map<std::string, double> times_;
};

// Under callgrind: 1000 passes and 1000 replays of each mode, each batch
// dumped on its own, so that tools/pass-instructions.sh can compare their
// instruction counts (repeatable, unlike times on a shared machine).
void CountInstructions() {
  constexpr int Batch = 1000;
  for (const auto& [mode, setUp] : Modes) {
    Reset();
    setUp();
    RunFramePass();
    null_host::StartRecording();
    RunFramePass();
    const std::vector<null_host::RecordedCall> calls = null_host::StopRecording();
    const std::string passName = "pass/" + mode;
    const std::string callsName = "calls/" + mode;
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < Batch; ++i) RunFramePass();
    CALLGRIND_DUMP_STATS_AT(passName.c_str());
    for (int i = 0; i < Batch; ++i) null_host::Replay(calls);
    CALLGRIND_DUMP_STATS_AT(callsName.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--count-instructions") {
    CountInstructions();
    return 0;
  }
  for (const auto& [mode, setUp] : Modes) {
    benchmark::RegisterBenchmark(("Pass/" + mode).c_str(), Pass, mode);
    benchmark::RegisterBenchmark(("Calls/" + mode).c_str(), Calls, mode);
  }
  benchmark::RegisterBenchmark("Settings/load", LoadSettingsFile)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Settings/save", SaveSettingsFile)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::filesystem::remove(SettingsFile());
  return 0;
}
