#include "vehicle/Gear.h"

#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Native.h"
#include "input/Input.h"
#include "platform/Platform.h"
#include "vehicle/GearDisplay.h"

#include <algorithm>
#include <cstring>

constinit GearStateRecord GearState = {1, 0, false, false, 0};

namespace {

constexpr NativeHash VehicleSpeed = 0xD5037BA82E12416F;
constexpr NativeHash SetControlValueNextFrame = 0xE8A25867FBA3B05E;
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
  CallNative(SetControlValueNextFrame, 0, AccelerateControl, 0.0F);
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

const std::uint8_t* ScanImage(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask) {
  const std::size_t length = std::strlen(mask);
  if (image.size() <= length) return nullptr;
  for (std::size_t start = 0; start + length < image.size(); ++start) {
    std::size_t i = 0;
    while (i < length && (mask[i] != 'x' || image[start + i] == pattern[i])) ++i;
    if (i == length) return image.data() + start;
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
