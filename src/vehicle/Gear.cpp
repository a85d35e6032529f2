#include "vehicle/Gear.h"

#include "config/Config.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "platform/ImageScan.h"
#include "vehicle/GearDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

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
// Whether the velocity the host gave agrees with the speed it gave, within a
// tenth: both finite, and one the length of the other. When they disagree
// one of them is wrong, and a velocity scaled from them could stop the car
// dead or fling it.
bool VelocityAgrees(const Vector3& velocity, float speed) {
  const float length = std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z);
  return std::fabs(length - speed) <= 0.1F * speed;
}

// At or above the gear's limit the accelerator is taken away, the velocity
// pulled back to the limit and the limiter field written. A limit or speed
// that is not a finite number means none of it that frame; a velocity that
// does not agree with the speed is not pulled back, nor that of a wheeled
// vehicle off its wheels (leaving a ramp: the game makes it fall).
void LimitSpeed(Entity vehicle, float limit, bool wheeled) {
  const float speed = natives::VehicleSpeed(vehicle);
  if (!(speed >= limit) || !std::isfinite(speed)) return;
  natives::SetControlValueNextFrame(Control::Accelerate, 0.0F);
  if (speed > limit && (!wheeled || natives::IsOnAllWheels(vehicle))) {
    const Vector3 velocity = natives::VehicleVelocity(vehicle);
    const float k = limit / speed;
    if (VelocityAgrees(velocity, speed))
      natives::SetVehicleVelocity(vehicle, velocity.x * k, velocity.y * k, velocity.z * k);
  }
  WriteLimiterField(vehicle, LimiterFieldValue);
}

}  // namespace

bool GearEntryReset(Entity vehicle, bool keepGear) {
  // A vehicle taken over at speed (a switch to a driving character, a
  // mission) is not braked at once: the first gear that holds its speed.
  const float speed = natives::VehicleSpeed(vehicle);
  if (!std::isfinite(speed)) return false;
  const std::int32_t kept = GearState.gear;
  if (!keepGear) GearState.gear = 1;
  while (GearState.gear < GearCount && speed > GearSpeed(GearState.gear)) ++GearState.gear;
  if (!keepGear || GearState.gear != kept) GearState.gearChangeTime = PassTime();
  return true;
}

void ResetGears() { GearState = GearsAtLoad; }

void ClearGearLatches() {
  GearState.gearUpLatch = false;
  GearState.gearDownLatch = false;
}

void GearStep(Entity vehicle, bool wheeled) {
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
  if (GearState.gear < GearCount) LimitSpeed(vehicle, GearSpeed(GearState.gear), wheeled);
  DrawGearIndicator(GearState.gear);
  if (WithinWindow(GearState.gearChangeTime, PassTime(), BannerWindow)) DrawGearBanner(GearState.gear);
}

namespace {

// The field offset the store at `match` names; nothing when it cannot be read
// whole or is too far out to be a field of a vehicle object (the pattern
// matched something else, and writing there would corrupt the game).
std::optional<std::uint32_t> FieldOffsetAt(const ImageMatch& match) {
  const std::uint8_t* displacement = match.at + sizeof LimiterPattern;
  if (displacement + sizeof(std::uint32_t) > match.readableEnd) return std::nullopt;
  std::uint32_t offset;
  std::memcpy(&offset, displacement, sizeof offset);  // little-endian, as x86-64 stores it
  if (offset >= LargestFieldOffset) return std::nullopt;
  return offset;
}

}  // namespace

// The field is used only when every match of the pattern names the same
// one: a game update may add a match elsewhere, and writing into the game's
// memory on a guess could corrupt anything.
void FindLimiterField() {
  std::optional<std::uint32_t> agreed;
  for (ImageMatch match = ScanModule(LimiterPattern, LimiterMask); match.at != nullptr;
       match = ScanModule(LimiterPattern, LimiterMask, match.at)) {
    const std::optional<std::uint32_t> offset = FieldOffsetAt(match);
    if (!offset || (agreed && *agreed != *offset)) return;
    agreed = offset;
  }
  if (agreed) GearState.LimiterFieldOffset = *agreed;
}

void WriteLimiterField(Entity vehicle, float value) {
  if (GearState.LimiterFieldOffset == 0) return;
  std::uint8_t* base = getScriptHandleBaseAddress(vehicle);
  if (base == nullptr) return;
  const float clamped = std::min(1.0F, std::max(0.0F, value));
  std::memcpy(base + GearState.LimiterFieldOffset, &clamped, sizeof clamped);
}
