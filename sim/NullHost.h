// A host that answers every native at once from a small table, for measuring
// the plug-in's own cost and for fuzzing it in one process. It implements
// the seven host functions and the platform services; the file functions
// come from NullHostDisk.cpp or NullHostMemory.cpp.
#pragma once

#include "NativeHashes.h"
#include "host/Native.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace null_host {

struct Answer {
  std::array<std::uint64_t, 3> result{};
  int outArgument = -1;  // which argument is an address the native writes
  std::int32_t outValue = 0;
};

struct RecordedCall {
  NativeHash hash;
  std::vector<std::uint64_t> args;
  int outArgument;  // replayed as the address of scratch memory; -1: none
};

// The world as the plug-in finds it.
extern std::array<bool, 256> Keys;
extern bool PadConnected;
extern std::uint16_t PadButtons;
extern std::uint32_t Tick;
extern std::array<std::uint8_t, 4096> ObjectMemory;
// The game's image: the limiter store once, with field offset 16.
extern std::array<std::uint8_t, 64> MainImage;

// What a native answers from now on.
void SetAnswer(NativeHash hash, const Answer& answer);
Answer IntAnswer(std::int32_t value);
Answer FloatAnswer(float value);
Answer VectorAnswer(float x, float y, float z);
Answer OutAnswer(int argument, std::int32_t value);

// Records the calls until StopRecording returns them.
void StartRecording();
std::vector<RecordedCall> StopRecording();
// Issues the recorded calls again, with the same arguments (out-arguments
// pointed at scratch memory).
void Replay(const std::vector<RecordedCall>& calls);

// With the files in memory (NullHostMemory.cpp; NullHostDisk.cpp keeps them
// on the disk): every file gone, and one file's bytes (good until the next
// file operation), or nothing.
void ClearFiles();
std::optional<std::string_view> FileContents(const std::string& path);

}  // namespace null_host
