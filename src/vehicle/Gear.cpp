#include "vehicle/Gear.h"

#include "host/ScriptHook.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>

constinit GearStateRecord GearState = {1, 0, false, false, 0};

namespace {
// jbe +3; movaps xmm6, xmm0; movss [rbx + disp32], xmm8 — the store's
// displacement is the field's offset.
constexpr std::uint8_t LimiterPattern[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
constexpr char LimiterMask[] = "xxxxxxxxxx";
}  // namespace

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
