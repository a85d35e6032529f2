// One typed helper for every native call: init, one push per argument in the
// host's 64-bit slot encoding, call, and the result read at once.
#pragma once

#include "host/ScriptHook.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

using NativeHash = std::uint64_t;

struct Vector3 {
  float x;
  float y;
  float z;
};

namespace native_slot {

// 32-bit values travel in the low half with the high half zero, so -1 is
// 0x00000000FFFFFFFF; floats travel as their bit pattern.
inline std::uint64_t Encode(std::int32_t value) { return static_cast<std::uint32_t>(value); }
inline std::uint64_t Encode(std::uint32_t value) { return value; }
inline std::uint64_t Encode(float value) { return std::bit_cast<std::uint32_t>(value); }
inline std::uint64_t Encode(bool value) { return value ? 1U : 0U; }
inline std::uint64_t Encode(const char* text) { return reinterpret_cast<std::uintptr_t>(text); }
inline std::uint64_t Encode(std::int32_t* out) { return reinterpret_cast<std::uintptr_t>(out); }
inline std::uint64_t Encode(std::uint32_t* out) { return reinterpret_cast<std::uintptr_t>(out); }
// Anything else (double, 64-bit integers, other pointers) is a mistake at the call site.
template <class T>
std::uint64_t Encode(T) = delete;

inline float FloatAt(const std::uint64_t* result, std::size_t byteOffset) {
  float value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(result) + byteOffset, sizeof value);
  return value;
}

template <class R>
R Decode(const std::uint64_t* result) {
  if constexpr (std::is_same_v<R, Vector3>) {
    return {FloatAt(result, 0), FloatAt(result, 8), FloatAt(result, 16)};
  } else if constexpr (std::is_same_v<R, float>) {
    return FloatAt(result, 0);
  } else {
    std::int32_t value;
    std::memcpy(&value, result, sizeof value);
    if constexpr (std::is_same_v<R, bool>) {
      return value != 0;
    } else {
      static_assert(std::is_same_v<R, std::int32_t>, "natives answer int32, bool, float or Vector3");
      return value;
    }
  }
}

}  // namespace native_slot

// CallNative<Result>(hash, args...): Result is void, std::int32_t, bool,
// float or Vector3.
template <class R = void, class... Args>
R CallNative(NativeHash hash, Args... args) {
  nativeInit(hash);
  (nativePush64(native_slot::Encode(args)), ...);
  const std::uint64_t* result = nativeCall();
  if constexpr (!std::is_void_v<R>) {
    return native_slot::Decode<R>(result);
  } else {
    (void)result;
  }
}
