#include "vehicle/Gear.h"

#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "platform/ImageScan.h"
#include "vehicle/GearDisplay.h"

#include <algorithm>
#include <cstring>

constexpr GearStateRecord GearsAtLoad = {1, std::nullopt, false, false, 0};
constinit GearStateRecord GearState = GearsAtLoad;

namespace {

constexpr float LimiterFieldValue = 0.6F;
// The banner shows for 1499 ms inclusive.
constexpr std::uint32_t BannerWindow = 1500;

// jbe +3; movaps xmm6, xmm0; movss [rbx + disp32], xmm8 — the store's
// displacement is the field's offset.
constexpr std::uint8_t LimiterPattern[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
constexpr char LimiterMask[] = "xxxxxxxxxx";
constexpr std::uint32_t LargestFieldOffset = 64 * 1024;
// At or above the gear's limit the accelerator is taken away, the velocity
// pulled back to the limit and the limiter field written. A limit or speed
// that is not a number compares false and nothing is done.
void LimitSpeed(Entity vehicle, float limit) {
  const float speed = natives::VehicleSpeed(vehicle);
  if (!(speed >= limit)) return;
  natives::SetControlValueNextFrame(Control::Accelerate, 0.0F);
  if (speed > limit) {
    const Vector3 velocity = natives::VehicleVelocity(vehicle);
    const float k = limit / speed;
    natives::SetVehicleVelocity(vehicle, velocity.x * k, velocity.y * k, velocity.z * k);
  }
  WriteLimiterField(vehicle, LimiterFieldValue);
}

}  // namespace

void GearEntryReset() {
  GearState.gear = 1;
  GearState.gearChangeTime = PassTime();
}

void ResetGears() { GearState = GearsAtLoad; }

void ClearGearLatches() {
  GearState.gearUpLatch = false;
  GearState.gearDownLatch = false;
}

void GearStep(Entity vehicle) {
  const bool upFires = KeyFires(GearState.gearUpLatch, Config.GearUp);
  const bool downFires = KeyFires(GearState.gearDownLatch, Config.GearDown);
  if (upFires && GearState.gear < GearCount) {
    ++GearState.gear;
    GearState.gearChangeTime = PassTime();
    PlayClip(GearShiftClip);
  }
  if (downFires && GearState.gear >= 2) {
    --GearState.gear;
    GearState.gearChangeTime = PassTime();
    PlayClip(GearShiftClip);
  }
  if (GearState.gear < GearCount) LimitSpeed(vehicle, GearSpeed(GearState.gear));
  DrawGearIndicator(GearState.gear);
  if (WithinWindow(GearState.gearChangeTime, PassTime(), BannerWindow)) DrawGearBanner(GearState.gear);
}

void FindLimiterField() {
  const ImageMatch match = ScanModule(LimiterPattern, LimiterMask);
  if (match.at == nullptr) return;
  const std::uint8_t* displacement = match.at + sizeof LimiterPattern;
  if (displacement + sizeof(std::uint32_t) > match.readableEnd) return;
  std::uint32_t offset;
  std::memcpy(&offset, displacement, sizeof offset);  // little-endian, as x86-64 stores it
  // A field that far out is no field of a vehicle object: the pattern matched
  // something else, and writing there would corrupt the game.
  if (offset >= LargestFieldOffset) return;
  GearState.LimiterFieldOffset = offset;
}

void WriteLimiterField(Entity vehicle, float value) {
  if (GearState.LimiterFieldOffset == 0) return;
  std::uint8_t* base = getScriptHandleBaseAddress(vehicle);
  if (base == nullptr) return;
  const float clamped = std::min(1.0F, std::max(0.0F, value));
  std::memcpy(base + GearState.LimiterFieldOffset, &clamped, sizeof clamped);
}
