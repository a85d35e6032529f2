#include "NullHost.h"

#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace null_host {

std::array<bool, 256> Keys{};
bool PadConnected = false;
std::uint16_t PadButtons = 0;
std::uint32_t Tick = 5'000'000;
std::array<std::uint8_t, 4096> ObjectMemory{};
std::array<std::uint8_t, 64> MainImage = {0x90, 0x90, 0x90, 0x90, 0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3,
                                          0x44, 0x0F, 0x11, 0x83, 16,   0,    0,    0,    0x90};

namespace {

// The answers in a fixed open-addressed table: the lookup on every native
// call is a mask and, nearly always, one compare, so the host costs little
// next to the plug-in in benchmarks and fuzz runs.
struct Slot {
  NativeHash hash = 0;
  bool used = false;
  Answer answer;
};
std::array<Slot, 256> answers{};
std::size_t answerCount = 0;

Slot& SlotFor(NativeHash hash) {
  constexpr std::size_t Mask = answers.size() - 1;
  std::size_t at = (hash ^ hash >> 29) & Mask;
  while (answers[at].used && answers[at].hash != hash) at = (at + 1) & Mask;
  return answers[at];
}
const Answer* current = nullptr;
Answer none;
std::array<std::uint64_t, 3> result{};
std::array<std::uint64_t, 16> args{};
std::size_t argCount = 0;
bool recording = false;
// Whether the pushes of the native being called are kept: only when they are
// recorded or the native writes back through one of them. The plug-in makes
// several pushes a native, and one that keeps nothing is a load and a return
// instead of a store that the next push must wait for.
bool keepArguments = false;
std::vector<RecordedCall> recorded;
std::int32_t scratch = 0;

}  // namespace

void SetAnswer(NativeHash hash, const Answer& answer) {
  Slot& slot = SlotFor(hash);
  if (!slot.used) {
    if (++answerCount > answers.size() / 2) std::abort();  // far more natives than the plug-in calls
    slot = {hash, true, {}};
  }
  slot.answer = answer;
}

Answer IntAnswer(std::int32_t value) { return {{static_cast<std::uint32_t>(value), 0, 0}, -1, 0}; }
Answer FloatAnswer(float value) { return {{std::bit_cast<std::uint32_t>(value), 0, 0}, -1, 0}; }
Answer VectorAnswer(float x, float y, float z) {
  return {{std::bit_cast<std::uint32_t>(x), std::bit_cast<std::uint32_t>(y), std::bit_cast<std::uint32_t>(z)},
          -1,
          0};
}
Answer OutAnswer(int argument, std::int32_t value) { return {{1, 0, 0}, argument, value}; }

void StartRecording() {
  recorded.clear();
  recording = true;
}

std::vector<RecordedCall> StopRecording() {
  recording = false;
  return std::move(recorded);
}

void Replay(const std::vector<RecordedCall>& calls) {
  for (const RecordedCall& call : calls) {
    nativeInit(call.hash);
    for (std::size_t i = 0; i < call.args.size(); ++i) {
      nativePush64(static_cast<int>(i) == call.outArgument ? reinterpret_cast<std::uintptr_t>(&scratch)
                                                           : call.args[i]);
    }
    nativeCall();
  }
}

}  // namespace null_host

using namespace null_host;

// The host functions live in another library in the game, so the replay must
// not get them inlined where the plug-in cannot.
#define HALVANE_HOST_CALL __attribute__((noinline))

void scriptRegister(HostModule, ScriptEntry) {}
void scriptUnregister(HostModule) {}
void scriptWait(HostMilliseconds) {}

// Recording apart from the calls, so that the calls themselves keep no
// value in memory (the sanitizers would guard a stack frame for it).
namespace {
__attribute__((noinline)) void RecordCall(std::uint64_t hash) {
  recorded.push_back({hash, {}, current->outArgument});
}
__attribute__((noinline)) void RecordArgument(std::uint64_t value) { recorded.back().args.push_back(value); }
}  // namespace

HALVANE_HOST_CALL void nativeInit(std::uint64_t hash) {
  const Slot& slot = SlotFor(hash);
  current = slot.used ? &slot.answer : &none;
  argCount = 0;
  keepArguments = recording || current->outArgument >= 0;
  if (recording) RecordCall(hash);
}

namespace {
__attribute__((noinline)) void KeepArgument(std::uint64_t value) {
  if (argCount < args.size()) args[argCount++] = value;
  if (recording) RecordArgument(value);
}
}  // namespace

HALVANE_HOST_CALL void nativePush64(std::uint64_t value) {
  if (keepArguments) KeepArgument(value);
}

HALVANE_HOST_CALL std::uint64_t* nativeCall() {
  if (current->outArgument >= 0 && static_cast<std::size_t>(current->outArgument) < argCount) {
    *reinterpret_cast<std::int32_t*>(args[static_cast<std::size_t>(current->outArgument)]) =
        current->outValue;
  }
  // Word by word: a copy of the whole array goes through the sanitizers'
  // checked memcpy, the costliest step of the call.
  for (std::size_t word = 0; word < result.size(); ++word) result[word] = current->result[word];
  return result.data();
}

std::uint8_t* getScriptHandleBaseAddress(int) { return ObjectMemory.data(); }

namespace platform {

std::int16_t AsyncKeyState(int key) {
  return key >= 0 && key < 256 && Keys[static_cast<std::size_t>(key)] ? std::int16_t{-0x8000}
                                                                      : std::int16_t{0};
}

std::uint32_t ReadPad(PadSample& sample) {
  if (!null_host::PadConnected) return 1167;
  sample.Gamepad.wButtons = null_host::PadButtons;
  return 0;
}

std::uint32_t TickCount() { return Tick; }
void PlayWave(const std::uint8_t*, std::size_t) {}
std::optional<std::string> LibraryFileName(const void*) { return std::nullopt; }
std::optional<std::string> RoamingAppDataFolder() { return std::nullopt; }
const char PathSeparator = '/';
const char* const LineBreak = "\n";
MemoryImage MainImage() { return {null_host::MainImage.data(), null_host::MainImage.size()}; }
MemoryRegion RegionAt(const std::uint8_t* address) {
  const std::uint8_t* image = null_host::MainImage.data();
  if (address < image || address >= image + null_host::MainImage.size()) return {address, 0, false};
  return {image, null_host::MainImage.size(), true};
}

}  // namespace platform
