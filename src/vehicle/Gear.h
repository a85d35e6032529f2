// The gear selector and speed limiter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct GearStateRecord {
  std::int32_t gear;
  std::uint32_t gearChangeTime;
  bool gearUpLatch;
  bool gearDownLatch;
  std::uint64_t LimiterFieldOffset;  // 0: the field was not found and is never written
};
extern GearStateRecord GearState;

// Getting into a vehicle: gear 1, and the banner shows anew.
void GearEntryReset();
// A binding held across getting in counts as a fresh press.
void ClearGearLatches();
// One pass of shifting, limiting and drawing for the vehicle driven.
void GearStep(std::int32_t vehicle);

// Finds the limiter field of the game's vehicle object, once at start-up.
void FindLimiterField();

// First position in `image` where `pattern` matches under `mask` ('x': the
// byte must equal, anything else: any byte), or nullptr. A match must end
// before the last byte of the image.
const std::uint8_t* ScanImage(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask);

// ScanImage over the game's main executable image.
const std::uint8_t* ScanModule(const std::uint8_t* pattern, const char* mask);

// Stores `value`, clamped to 0..1, in the limiter field of the vehicle's object.
void WriteLimiterField(std::int32_t vehicle, float value);
