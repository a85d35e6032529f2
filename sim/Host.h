// The substitute script host: loads the plug-in library from a folder, runs
// its registered entry on a fibre one frame at a time, answers natives from
// the game model and records every call.
#pragma once

#include "Fibre.h"
#include "Game.h"
#include "host/ScriptHook.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// What the operating system answers besides input.
inline constexpr std::size_t PageSize = 4096;

struct Environment {
  bool libraryLookupFails = false;
  std::optional<std::string> roamingAppData;
  std::vector<std::uint8_t> mainImage;
  std::vector<std::size_t> noAccessPages;  // pages of the image that cannot be read
  bool replaceFails = false;               // the final rename of a settings save fails
  bool cutFails = false;                   // cutting a file to length fails
  // A disk that will not take the settings file's temporary whole: its
  // writes fail, its flush to the disk fails, or its close fails. Other
  // files are written as usual.
  enum class TemporaryFault { None, Write, Flush, Close };
  TemporaryFault temporaryFault = TemporaryFault::None;
  // The next this many writes to any file of the plug-in's write half of
  // what they are given, and report that half, without an error: a short
  // write that a flush afterwards does not notice.
  int shortWrites = 0;
  // The next this many opens of a file other than a temporary fail as if it
  // were not there (ENOENT), whether it is or not: a read that only seems to
  // miss it.
  int missingOpens = 0;
  // A platform service ("LibraryFileName", "OpenFile", "MainImage") that
  // throws a C++ exception when called, as a failing system call might.
  std::string throwingService;
  // Called after each file call of the plug-in's that can change a file:
  // every write that reaches a file, every flush, cut, replace and removal.
  // What the disk holds at each of those moments is what a crash then would
  // leave.
  std::function<void()> afterFileCall;
};

struct NativeCallRecord {
  NativeHash hash;
  std::vector<std::uint64_t> args;
  std::array<std::uint64_t, 3> result;
};

struct HostCallRecord {
  enum class Kind { Register, Unregister, Wait };
  Kind kind;
  HostModule module;
  HostMilliseconds milliseconds;
};

struct SoundRecord {
  const std::uint8_t* image;
  std::size_t size;
};

class Host {
 public:
  // `pluginFile` is copied into `folder` and loaded from there, as a player
  // would install it.
  Host(std::filesystem::path pluginFile, std::filesystem::path folder);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  void Load();
  void Unload();
  // Runs one frame: start-up and the first pass on the first frame, one pass after.
  void Frame();
  void Frames(int count);
  // Runs `script` as one frame of a script fibre of its own, as a pass
  // would: for testing pieces of the plug-in linked into the test program.
  void RunScript(const std::function<void()>& script);

  bool Loaded() const { return library_ != nullptr; }
  HostModule Module() const { return reinterpret_cast<HostModule>(library_); }
  const std::filesystem::path& Folder() const { return folder_; }
  const std::filesystem::path& LibraryFile() const { return installed_; }

  // Calls of the current (or last) frame to the given native.
  std::vector<const NativeCallRecord*> CallsTo(NativeHash hash) const;

  Input input;
  Environment environment;
  Game game;

  std::vector<NativeCallRecord> frameCalls;  // natives of the last frame, in order
  std::vector<SoundRecord> frameSounds;      // clips started in the last frame
  std::vector<HostCallRecord> hostCalls;     // register, unregister, wait: whole run
  std::vector<std::string> errors;           // anything the plug-in did wrong
  // Files handed to the disk ("sync <path>") and moved over others
  // ("move <from> <to>"), in order: whole run.
  std::vector<std::string> fileLog;
  // A native that throws a C++ exception when called, as a failing host
  // function might: 0 for none.
  NativeHash throwingNative = 0;
  // The native call of the next frame, counted from 1, that throws once, as
  // a host function failing at that moment might: 0 for none. Cleared when
  // it has thrown.
  int throwingCall = 0;
  // Throws for each native call it says yes to, given the call's hash and
  // pushed values: a host function failing on one call of many.
  std::function<bool(NativeHash, const std::vector<std::uint64_t>&)> throwWhen;
  // A host that lies: called after the model has answered a native (result
  // and out-parameters written), free to change the answer.
  std::function<void(NativeHash, Invocation&)> lie;
  int nativeCalls = 0;         // native calls in the last frame, thrown ones included
  int padReads = 0;            // XInput polls in the last frame
  long pluginAllocations = 0;  // heap allocations the plug-in made in the last frame
  int frameNumber = 0;

  // Hooks for the host functions and platform services of this process.
  static Host* Active();
  void OnRegister(HostModule module, ScriptEntry entry);
  void OnUnregister(HostModule module);
  void OnWait(HostMilliseconds milliseconds);
  void OnNativeInit(NativeHash hash);
  void OnNativePush(std::uint64_t value);
  std::uint64_t* OnNativeCall();
  void Error(std::string message);

 private:
  void RunFrameOn(Fibre& fibre);
  void TraceFrame() const;

  std::filesystem::path plugin_;
  std::filesystem::path folder_;
  std::filesystem::path installed_;
  void* library_ = nullptr;
  ScriptEntry entry_ = nullptr;
  HostModule registered_ = nullptr;
  HostModule unregistered_ = nullptr;
  std::unique_ptr<Fibre> fibre_;
  Fibre* running_ = nullptr;  // the fibre of the frame being run
  std::optional<NativeCallRecord> pending_;
  std::array<std::uint64_t, 32> argumentSlots_{};
  Invocation invocation_;
};

}  // namespace sim
