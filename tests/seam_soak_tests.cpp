// Random play where the features meet, checked against what a player would
// state (the seam soak).
#include "SeamSoakPlaythrough.h"

#include <cstdlib>
#include <map>
#include <random>
#include <string>

#if defined(HALVANE_WITH_FIU)
#define FIU_ENABLE 1
#include <fiu-control.h>
#include <fiu.h>
#endif

namespace {

// libc's own file calls failing at random while a pass runs: the stream
// calls (fopen, fread, fwrite, fflush, fseek, setvbuf, ferror) and
// the system calls (open, read, write or a write that falls short, fsync,
// ftruncate, rename, unlink, close), through libfiu's POSIX preload. HALVANE_FIU_RATE failures in a
// thousand calls, from HALVANE_FIU_SEED; run under `fiu-run -x`. Only the
// passes' calls fail: the test's own reading of the file never does.
struct SystemFaultsRecord {
  unsigned rate = 0;  // a thousand calls; 0: none
  bool during = false;
  std::mt19937 random;
  std::map<std::string, long> injected;
};
SystemFaultsRecord SystemFaults;

#if defined(HALVANE_WITH_FIU)
int DecideSystemFault(const char* name, int*, void**, unsigned*) {
  if (!SystemFaults.during || SystemFaults.random() % 1000 >= SystemFaults.rate) return 0;
  ++SystemFaults.injected[name];
  return 1;
}
#endif

// Starts failing system calls during passes, when HALVANE_FIU_RATE asks for it.
void StartSystemFaults() {
  const char* rate = std::getenv("HALVANE_FIU_RATE");
  if (rate == nullptr) return;
#if defined(HALVANE_WITH_FIU)
  const char* seed = std::getenv("HALVANE_FIU_SEED");
  SystemFaults.rate = static_cast<unsigned>(std::strtoul(rate, nullptr, 10));
  SystemFaults.random.seed(seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 1U);
  std::printf("system faults: %u in a thousand calls, HALVANE_FIU_SEED=%s\n", SystemFaults.rate,
              seed != nullptr ? seed : "1");
  fiu_init(0);
  // The C library's stream calls fail themselves: libfiu lets no call made
  // inside them (a stream's own write) fail as well. Not fclose: libfiu's
  // leaves the stream open, which no C library does.
  for (const char* point :
       {"posix/stdio/oc/fopen", "posix/stdio/rw/fread", "posix/stdio/rw/fwrite", "posix/stdio/fflush",
        "posix/stdio/setvbuf", "posix/stdio/seek/fseek", "posix/stdio/error/ferror", "posix/io/oc/open",
        "posix/io/oc/close", "posix/io/rw/read", "posix/io/rw/write", "posix/io/rw/write/reduce",
        "posix/io/rw/ftruncate", "posix/io/sync/fsync", "posix/io/dir/rename", "posix/io/dir/unlink"}) {
    fiu_enable_external(point, 1, nullptr, 0, DecideSystemFault);
  }
#else
  FAIL() << "HALVANE_FIU_RATE is set, but this build has no libfiu";
#endif
}

// While it lives, the passes' system calls may fail.
class DuringPass {
 public:
  DuringPass() { SystemFaults.during = SystemFaults.rate > 0; }
  ~DuringPass() { SystemFaults.during = false; }
  DuringPass(const DuringPass&) = delete;
  DuringPass& operator=(const DuringPass&) = delete;
};
// While it lives, none fails: the test looks at the disk.
class Looking {
 public:
  Looking() : was_(SystemFaults.during) { SystemFaults.during = false; }
  ~Looking() { SystemFaults.during = was_; }
  Looking(const Looking&) = delete;
  Looking& operator=(const Looking&) = delete;

 private:
  bool was_;
};

// Eight runs, each from a seed of its own and a fresh plug-in, so that CTest
// can run them side by side.
class SeamSoakSeeds : public SeamSoakTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(SeamSoakSeeds, RandomPlayAcrossTheSeamsHoldsWhatAPlayerExpects) {
  const char* seedText = std::getenv("HALVANE_SEAM_SEED");
  const char* passesText = std::getenv("HALVANE_SEAM_PASSES");
  const unsigned seed = seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                            : 20261208U + GetParam();
  const long passes = passesText != nullptr ? std::atol(passesText) : 5000;
  random.seed(seed);
  SystemFaults.injected.clear();
  SCOPED_TRACE("replay with HALVANE_SEAM_SEED=" + std::to_string(seed));
  std::printf("seam soak: seed %u, %ld passes\n", seed, passes);
  // Limits without a figure to start from, and one near the lowest under
  // one of them, so that Left and Right meet them.
  std::ofstream(host.Folder() / "Halvane.ini") << StartFile;
  std::vector<std::string> moments;
  host.environment.afterFileCall = [&] {
    const Looking looking;
    moments.push_back(ReadWhole(host.Folder() / "Halvane.ini"));
  };
  StartSystemFaults();
  // The safety switches at most once per press of a key (its binding may
  // have been captured to any key): between two switches some key went down.
  int switchesThisPress = 0;
  for (long pass = 0; pass < passes; ++pass) {
    const std::array<bool, 256> keysBefore = host.input.keys;
    std::array<bool, 3> wasDown{};
    constexpr KeyCode Saving[] = {0x25, 0x27, 0x0D};  // Left, Right, Enter
    for (std::size_t k = 0; k < 3; ++k) wasDown[k] = host.input.keys[static_cast<std::size_t>(Saving[k])];
    RandomPass();
    for (std::size_t key = 0; key < keysBefore.size(); ++key) {
      if (host.input.keys[key] && !keysBefore[key]) switchesThisPress = 0;
    }
    const bool reloaded = Chance(2);
    if (reloaded) {  // the plug-in loaded again from disk
      host.Unload();
      if (Chance(500)) {  // the player's own file put back, with the game closed
        std::ofstream(host.Folder() / "Halvane.ini", std::ios::trunc) << StartFile;
        limitsBefore = promises::FileGearLimits(StartFile);
      }
      host.Load();
      ASSERT_TRUE(host.Loaded());
      switchesThisPress = 0;  // a new plug-in: a key held at its start is a new press
    }
    NoteWheel();
    const WeaponBefore weaponBefore = promises::TakeWeaponBefore(host);
    fileBefore = ReadWhole(host.Folder() / "Halvane.ini");
    moments.clear();
    const std::size_t logged = host.fileLog.size();
    const SaveExpected expected = ExpectSave(keysBefore, reloaded);
    const FileStamp stampBefore = Stamp();
    const bool menuOpenBefore = IsDrawn("~y~>") && !reloaded;
    {
      const DuringPass faults;
      host.Frame();
    }
    NoteSwapUnderTheMenu();
    CheckToldIfUnsaved(pass, expected, stampBefore);
    if (HasFatalFailure()) return;
    switchesThisPress += TimesPlayed(SafetySwitchClip);
    // Saves this pass: at most one per fresh press of Left, Right or Enter,
    // one for a capture that was running (drawn as the pass began), and one
    // for the menu's opening.
    const bool capturing =
        std::any_of(host.game.texts.begin(), host.game.texts.end(),
                    [](const sim::DrawnText& text) { return text.text.ends_with("[...]"); });
    // Opening the menu reads a file that could not be read before, and
    // saves it with what the player set meanwhile.
    const bool opened = !menuOpenBefore && IsDrawn("~y~>");
    int allowed = (capturing ? 1 : 0) + (opened ? 1 : 0);
    for (std::size_t k = 0; k < 3; ++k)
      allowed += host.input.keys[static_cast<std::size_t>(Saving[k])] && !wasDown[k];
    const auto saves = std::count_if(host.fileLog.begin() + static_cast<long>(logged), host.fileLog.end(),
                                     [](const std::string& entry) { return entry.starts_with("move "); });
    CheckPass(pass, moments, switchesThisPress, static_cast<int>(saves) - allowed + 1, weaponBefore);
    keysTwoBefore = keysBefore;
    lastPassThrew = host.throwingNative != 0;
    if (HasFatalFailure()) return;
  }
  for (const auto& [point, count] : SystemFaults.injected)
    std::printf("  %s failed %ld times\n", point.c_str(), count);
  if (SystemFaults.rate > 0) {
    EXPECT_FALSE(SystemFaults.injected.empty()) << "no call failed: run under fiu-run -x";
  }
  std::printf("seam soak: %d shots, %d reloads, %zu notifications\n", host.game.shotsFired, host.game.reloads,
              host.game.notifications.size());
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeamSoakSeeds, ::testing::Range(0U, 8U));

}  // namespace
