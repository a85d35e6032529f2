// Runs the real Halvane.asi under Wine: loads it from a fresh folder, points
// its imports of the keyboard, pad, clock and sound at the substitute host's
// scripted input, runs frames on a fiber through the substitute
// ScriptHookV.dll, and checks what a player would see. The playthroughs are
// grouped by what they try in the Runner*.cpp files beside this one.
//
//   halvane_runner.exe <scenario> <Halvane.asi> <folder>
#include "GameProcess.h"
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

using namespace runner;

namespace {

// A crash in any thread (the plug-in's, or the sound thread reading a clip)
// ends the runner at once with where it happened, instead of waiting in a
// debugger until the test's timeout.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  std::fprintf(stderr, "runner: CRASHED: exception 0x%08lx at %p (thread %lu)\n", record.ExceptionCode,
               record.ExceptionAddress, GetCurrentThreadId());
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(ReportCrash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  const std::map<std::string, std::function<void(const std::filesystem::path&, const std::filesystem::path&)>>
      scenarios = {{"load", LoadAndUnload},
                   {"first-start", FirstStart},
                   {"file-appears-at-first-start", FileAppearsAtFirstStart},
                   {"prepared-settings", PreparedSettings},
                   {"playthrough", Playthrough},
                   {"hot-reload", HotReload},
                   {"unload-while-playing", UnloadWhilePlaying},
                   {"read-only-folder", ReadOnlyFolder},
                   {"non-ascii-folder", NonAsciiFolder},
                   {"dot-folder", DotFolder},
                   {"stale-temporary", StaleTemporary},
                   {"linked-settings-file", LinkedSettingsFile},
                   {"marked-settings-file", MarkedSettingsFile},
                   {"read-only-settings-file", ReadOnlySettingsFile},
                   {"locked-settings-file", LockedSettingsFile},
                   {"file-held-open", FileHeldOpen},
                   {"locked-folder-writable-file", LockedFolderWritableFile},
                   {"full-disk", FullDisk},
                   {"locked-folder-full-disk", FullDisk},
                   {"huge-settings-file", HugeSettingsFile},
                   {"long-path", LongPath},
                   {"bom-binary-mode", BomBinaryMode},
                   {"comma-locale", CommaLocale},
                   {"guarded-image", GuardedImage},
                   {"limiter-in-code", LimiterStoreInCodeOrData},
                   {"limiter-pattern-twice", LimiterPatternTwice},
                   {"pad", Pad},
                   {"passenger", Passenger},
                   {"open-menu-world", OpenMenuWorld},
                   {"failing-calls", FailingCalls},
                   {"limits-of-every-magnitude", LimitsOfEveryMagnitude},
                   {"foreign-clip-section", ForeignClipSection},
                   {"another-character", AnotherCharacter}};
  const auto scenario = argc == 4 ? scenarios.find(argv[1]) : scenarios.end();
  if (scenario == scenarios.end()) {
    std::fprintf(stderr, "usage: halvane_runner <scenario> <Halvane.asi> <folder>; scenarios:");
    for (const auto& [name, run] : scenarios) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  if (std::string error; !LoadStandInHost(error)) {
    std::fprintf(stderr, "runner: %s\n", error.c_str());
    return 1;
  }
  scenario->second(argv[2], argv[3]);
  std::printf("%s: %s\n", argv[1], failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}
