// The cost of one frame pass in each mode, beside the bare cost of issuing
// the same native calls into the same null host; and the settings file's
// load and save. The ratio pass / calls is what the plug-in adds on top of
// the host's own work.
#include "NullHost.h"
#include "config/Config.h"
#include "config/Settings.h"
#include "plugin/FrameLoop.h"
#include "vehicle/Gear.h"

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
  using namespace sim::native;
  SetAnswer(PlayerCharacter, IntAnswer(0x1001));
  SetAnswer(CurrentWeapon, OutAnswer(1, static_cast<std::int32_t>(Pistol)));
  SetAnswer(EntityExists, IntAnswer(1));
  SetAnswer(IsInAnyVehicle, IntAnswer(inVehicle ? 1 : 0));
  SetAnswer(VehicleOfCharacter, IntAnswer(Car));
  SetAnswer(IsSeatFree, IntAnswer(0));
  SetAnswer(CharacterInSeat, IntAnswer(0x1001));  // at the wheel
  SetAnswer(EngineRunning, IntAnswer(1));
  SetAnswer(VehicleSpeed, FloatAnswer(30.0F));
  SetAnswer(VehicleVelocity, VectorAnswer(30.0F, 1.0F, 0.0F));
  SetAnswer(GetAmmoInClip, OutAnswer(2, clip));
  SetAnswer(GetTotalAmmo, IntAnswer(40));
}

// A key down for one pass, then up for one.
void Press(KeyCode key) {
  null_host::Keys[static_cast<std::size_t>(key)] = true;
  RunFramePass();
  null_host::Keys[static_cast<std::size_t>(key)] = false;
  RunFramePass();
}

// Each mode reached the way playing would reach it, from a fresh plug-in.
const std::map<std::string, std::function<void()>> Modes = {
    {"on foot, idle", [] { AnswerTheWorld(false, 10); }},
    {"driving, limiter acting",
     [] {
       AnswerTheWorld(true, 10);  // getting in: gear 1, and the banner shows
       FindLimiterField();
     }},
    {"weapon empty, line shown", [] { AnswerTheWorld(false, 1); }},
    {"menu, keybindings page",
     [] {
       AnswerTheWorld(false, 10);
       Press(0x71);  // F2
     }},
    {"menu, gear speeds page",
     [] {
       AnswerTheWorld(false, 10);
       Press(0x71);  // F2
       Press(0x26);  // Up: "Gear Speeds"
       Press(0x0D);  // Enter
     }},
};

void StartMode(const std::string& mode) {
  ResetPluginState();
  Modes.at(mode)();
  RunFramePass();
}

void Pass(benchmark::State& state, const std::string& mode) {
  StartMode(mode);
  for (auto _ : state) RunFramePass();
}

void Calls(benchmark::State& state, const std::string& mode) {
  StartMode(mode);
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
    StartMode(mode);
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
