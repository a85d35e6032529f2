#include "vehicle/Gear.h"

#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"
#include "platform/Platform.h"
#include "vehicle/GearDisplay.h"

#include <algorithm>
#include <cstring>

constinit GearStateRecord GearState = {1, 0, false, false, 0};

namespace {

constexpr NativeHash VehicleSpeed = 0xD5037BA82E12416F;
constexpr NativeHash VehicleVelocity = 0x4805D2B1D8CF94A9;
constexpr NativeHash SetVehicleVelocity = 0x1C99BB7B6E96D16F;

constexpr std::int32_t AccelerateControl = 71;
constexpr float LimiterFieldValue = 0.6F;
constexpr std::uint32_t BannerWindow = 1499;

// jbe +3; movaps xmm6, xmm0; movss [rbx + disp32], xmm8 — the store's
// displacement is the field's offset.
constexpr std::uint8_t LimiterPattern[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
constexpr char LimiterMask[] = "xxxxxxxxxx";
// At or above the gear's limit the accelerator is taken away, the velocity
// pulled back to the limit and the limiter field written. A limit or speed
// that is not a number compares false and nothing is done.
void LimitSpeed(std::int32_t vehicle, float limit) {
  const float speed = CallNative<float>(VehicleSpeed, vehicle);
  if (!(speed >= limit)) return;
  CallNative(shared_native::SetControlValueNextFrame, 0, AccelerateControl, 0.0F);
  if (speed > limit) {
    const Vector3 velocity = CallNative<Vector3>(VehicleVelocity, vehicle);
    const float k = limit / speed;
    CallNative(SetVehicleVelocity, vehicle, velocity.x * k, velocity.y * k, velocity.z * k);
  }
  WriteLimiterField(vehicle, LimiterFieldValue);
}

}  // namespace

void GearEntryReset() {
  GearState.gear = 1;
  GearState.gearChangeTime = platform::TickCount();
}

void ClearGearLatches() {
  GearState.gearUpLatch = false;
  GearState.gearDownLatch = false;
}

void GearStep(std::int32_t vehicle) {
  const bool upFires = KeyFires(GearState.gearUpLatch, Config.GearUp);
  const bool downFires = KeyFires(GearState.gearDownLatch, Config.GearDown);
  if (upFires && GearState.gear < GearCount) {
    ++GearState.gear;
    GearState.gearChangeTime = platform::TickCount();
    PlayClip(GearShiftClip);
  }
  if (downFires && GearState.gear >= 2) {
    --GearState.gear;
    GearState.gearChangeTime = platform::TickCount();
    PlayClip(GearShiftClip);
  }
  if (GearState.gear < GearCount) LimitSpeed(vehicle, GearSpeed(GearState.gear));
  DrawGearIndicator(GearState.gear);
  if (platform::TickCount() - GearState.gearChangeTime <= BannerWindow) DrawGearBanner(GearState.gear);
}

// Anchored on one fully masked byte: the C library's memchr finds the
// candidates, which are then compared whole. Bytes that fill machine code
// (prefixes, common opcodes, padding) make poor anchors, so a rarer one is
// taken when the pattern has it.
const std::uint8_t* ScanImage(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask) {
  const std::size_t length = std::strlen(mask);
  if (image.size() <= length) return nullptr;
  // A match must start at or before this, so that it ends before the last byte.
  const std::size_t lastStart = image.size() - length - 1;

  constexpr std::uint8_t CommonBytes[] = {0x00, 0xFF, 0xCC, 0x90, 0x0F, 0x48, 0x49, 0x4C, 0x8B,
                                          0x89, 0x83, 0x44, 0x24, 0xE8, 0x8D, 0x85, 0xC0, 0x01};
  const auto common = [&](std::uint8_t byte) {
    return std::find(std::begin(CommonBytes), std::end(CommonBytes), byte) != std::end(CommonBytes);
  };
  std::size_t anchor = length;
  for (std::size_t i = 0; i < length; ++i) {
    if (mask[i] != 'x') continue;
    if (anchor == length || (common(pattern[anchor]) && !common(pattern[i]))) anchor = i;
  }
  if (anchor == length) return image.data();  // nothing to compare: the first start matches

  const std::uint8_t* const base = image.data();
  const std::uint8_t* candidate = base + anchor;
  const std::uint8_t* const end = base + lastStart + anchor + 1;
  while (candidate < end) {
    candidate = static_cast<const std::uint8_t*>(
        std::memchr(candidate, pattern[anchor], static_cast<std::size_t>(end - candidate)));
    if (candidate == nullptr) return nullptr;
    const std::uint8_t* start = candidate - anchor;
    std::size_t i = 0;
    while (i < length && (mask[i] != 'x' || start[i] == pattern[i])) ++i;
    if (i == length) return start;
    ++candidate;
  }
  return nullptr;
}

const std::uint8_t* ScanModule(const std::uint8_t* pattern, const char* mask) {
  const platform::MemoryImage image = platform::MainImage();
  if (image.base == nullptr) return nullptr;
  return ScanImage({image.base, image.size}, pattern, mask);
}

void FindLimiterField() {
  const platform::MemoryImage image = platform::MainImage();
  const std::uint8_t* match = ScanModule(LimiterPattern, LimiterMask);
  if (match == nullptr) return;
  const std::uint8_t* displacement = match + sizeof LimiterPattern;
  if (displacement + sizeof(std::uint32_t) > image.base + image.size) return;
  std::uint32_t offset;
  std::memcpy(&offset, displacement, sizeof offset);  // little-endian, as x86-64 stores it
  GearState.LimiterFieldOffset = offset;
}

void WriteLimiterField(std::int32_t vehicle, float value) {
  if (GearState.LimiterFieldOffset == 0) return;
  std::uint8_t* base = getScriptHandleBaseAddress(vehicle);
  if (base == nullptr) return;
  const float clamped = std::min(1.0F, std::max(0.0F, value));
  std::memcpy(base + GearState.LimiterFieldOffset, &clamped, sizeof clamped);
}
