#include "Host.h"

#include "Allocations.h"
#include "DocumentedNatives.h"
#include "PluginLoader.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace sim {

namespace {
Host* active = nullptr;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(value));
  return text;
}
}  // namespace

Host* Host::Active() { return active; }

Host::Host(std::filesystem::path pluginFile, std::filesystem::path folder)
    : plugin_(std::move(pluginFile)), folder_(std::move(folder)) {}

Host::~Host() {
  if (Loaded()) Unload();
  if (active == this) active = nullptr;
}

void Host::Error(std::string message) {
  std::fprintf(stderr, "substitute host: %s\n", message.c_str());
  errors.push_back(std::move(message));
}

void Host::Load() {
  if (active != nullptr && active != this && active->Loaded()) {
    Error("another substitute host is active in this process");
    return;
  }
  active = this;
  installed_ = folder_ / PluginFileName;
  // A fresh copy, as an update would install it. A plug-in that is not there
  // (or cannot be copied) is a load that failed, said whole.
  std::error_code installing;
  std::filesystem::create_directories(folder_, installing);
  if (!installing && !std::filesystem::equivalent(plugin_, installed_, installing)) {
    std::filesystem::remove(installed_, installing);
    std::filesystem::copy_file(plugin_, installed_, installing);
  }
  if (installing) {
    library_ = nullptr;
    const std::u8string from = plugin_.u8string();
    Error("cannot load the plug-in: installing " + std::string(from.begin(), from.end()) +
          " failed: " + installing.message());
    return;
  }
  registered_ = nullptr;
  std::string error;
  library_ = LoadPlugin(installed_, error);
  if (library_ == nullptr) {
    Error("cannot load the plug-in: " + error);
    return;
  }
  if (entry_ == nullptr) Error("the plug-in did not register a script entry when it was loaded");
  if (registered_ != Module()) Error("scriptRegister with a module handle that is not the plug-in's");
}

void Host::Unload() {
  if (!Loaded()) return;
  const HostModule module = Module();
  unregistered_ = nullptr;
  // The host stops resuming the script fibre once it is unregistered.
  const bool unloaded = UnloadPlugin(library_, installed_, [this] {
    fibre_.reset();
    entry_ = nullptr;
  });
  library_ = nullptr;
  if (unregistered_ != module)
    Error("scriptUnregister missing, or with a module handle that is not the plug-in's");
  // A library that stays mapped would keep its state into the next load.
  if (!unloaded) Error("the plug-in stayed loaded after unloading");
}

void Host::Frame() {
  if (entry_ == nullptr) {
    Error("frame requested but no script entry is registered");
    return;
  }
  if (!fibre_) fibre_ = std::make_unique<Fibre>(entry_);
  RunFrameOn(*fibre_);
}

// With HALVANE_CALL_TRACE set to a file name, every frame appends its native
// calls (pointers shown as "p": they differ from run to run), the texts it
// drew and the sounds it played: two builds that behave alike write the same
// trace for the same play.
void Host::TraceFrame() const {
  static std::FILE* const trace = [] {
    const char* name = std::getenv("HALVANE_CALL_TRACE");
    return name != nullptr ? std::fopen(name, "a") : nullptr;
  }();
  if (trace == nullptr) return;
  std::fprintf(trace, "frame %d tick %u\n", frameNumber, input.tick);
  for (const NativeCallRecord& call : frameCalls) {
    std::fprintf(trace, " %s", Hex(call.hash).c_str());
    for (std::uint64_t arg : call.args) {
      if (arg > 0xFFFFFFFFULL) {
        std::fputs(" p", trace);
      } else {
        std::fprintf(trace, " %llx", static_cast<unsigned long long>(arg));
      }
    }
    std::fputc('\n', trace);
  }
  for (const DrawnText& text : game.texts) std::fprintf(trace, " text %s\n", text.text.c_str());
  for (const FrontendSound& sound : game.frontendSounds)
    std::fprintf(trace, " sound %s\n", sound.name.c_str());
  for (const SoundRecord& sound : frameSounds) std::fprintf(trace, " clip %zu\n", sound.size);
  std::fflush(trace);
}

void Host::RunFrameOn(Fibre& fibre) {
  active = this;
  frameCalls.clear();
  frameSounds.clear();
  padReads = 0;
  nativeCalls = 0;
  ++frameNumber;
  game.BeginFrame(input);
  running_ = &fibre;
  StartCountingAllocations();
  fibre.Resume();
  pluginAllocations = StopCountingAllocations();
  running_ = nullptr;
  TraceFrame();
  game.EndFrame(input);
  for (std::string& fault : game.faults) Error(std::move(fault));
  game.faults.clear();
}

namespace {
thread_local const std::function<void()>* testScript = nullptr;

[[noreturn]] void RunTestScript() {
  (*testScript)();
  for (;;) Host::Active()->OnWait(0);
}
}  // namespace

void Host::RunScript(const std::function<void()>& script) {
  testScript = &script;
  Fibre fibre(RunTestScript);
  RunFrameOn(fibre);
  testScript = nullptr;
}

void Host::Frames(int count) {
  for (int i = 0; i < count; ++i) Frame();
}

std::vector<const NativeCallRecord*> Host::CallsTo(NativeHash hash) const {
  std::vector<const NativeCallRecord*> found;
  for (const NativeCallRecord& call : frameCalls) {
    if (call.hash == hash) found.push_back(&call);
  }
  return found;
}

void Host::OnRegister(HostModule module, ScriptEntry entry) {
  const HostCode hostCode;
  hostCalls.push_back({HostCallRecord::Kind::Register, module, 0});
  if (entry_ != nullptr) Error("scriptRegister called twice");
  registered_ = module;
  entry_ = entry;
}

void Host::OnUnregister(HostModule module) {
  const HostCode hostCode;
  hostCalls.push_back({HostCallRecord::Kind::Unregister, module, 0});
  unregistered_ = module;
}

void Host::OnWait(HostMilliseconds milliseconds) {
  {
    const HostCode hostCode;
    hostCalls.push_back({HostCallRecord::Kind::Wait, nullptr, milliseconds});
    if (running_ == nullptr) {
      Error("scriptWait called outside the script fibre");
      return;
    }
  }
  // Out of host code before the switch: a fibre left waiting for good (the
  // plug-in unloaded) must not leave the next test's plug-in counted as host.
  running_->ReturnToCaller();
}

void Host::OnNativeInit(NativeHash hash) {
  const HostCode hostCode;
  if (pending_) Error("nativeInit " + Hex(hash) + " while " + Hex(pending_->hash) + " was not called");
  if (running_ == nullptr) Error("native " + Hex(hash) + " called outside the script fibre");
  pending_ = NativeCallRecord{hash, {}, {}};
}

void Host::OnNativePush(std::uint64_t value) {
  const HostCode hostCode;
  if (!pending_) {
    Error("nativePush64 without nativeInit");
    return;
  }
  // Like the game's, the host's argument slots keep what was pushed into them
  // until a later push overwrites them: nativeInit only resets the count.
  if (pending_->args.size() < argumentSlots_.size()) argumentSlots_[pending_->args.size()] = value;
  pending_->args.push_back(value);
}

std::uint64_t* Host::OnNativeCall() {
  const HostCode hostCode;
  invocation_ = Invocation{};
  if (!pending_) {
    Error("nativeCall without nativeInit");
    return invocation_.result.data();
  }
  NativeCallRecord call = std::move(*pending_);
  pending_.reset();
  ++nativeCalls;
  const NativeInfo* native = game.Find(call.hash);
  const NativeSignature* documented = DocumentedSignature(call.hash);
  if (std::string fault = CheckAgainstDocumentation(call.hash, call.args); !fault.empty()) Error(fault);
  if (native == nullptr || documented == nullptr) {
    if (native == nullptr) Error("unknown native " + Hex(call.hash) + ": the game model does not answer it");
  } else if (call.hash == throwingNative || nativeCalls == throwingCall ||
             (throwWhen && throwWhen(call.hash, call.args))) {
    if (nativeCalls == throwingCall) throwingCall = 0;
    throw std::runtime_error("the native " + native->name + " threw");
  } else if (const std::span<const std::uint64_t> slots(argumentSlots_.data(), documented->args.size());
             AddressesSound(*documented, slots)) {
    // The game reads as many slots as the native takes, pushed or not.
    invocation_.args = slots;
    native->run(invocation_);
    if (lie) lie(call.hash, invocation_);
  }
  call.result = invocation_.result;
  frameCalls.push_back(std::move(call));
  invocation_.args = {};
  return invocation_.result.data();
}

}  // namespace sim
