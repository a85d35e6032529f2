#include "platform/ImageScan.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstring>

// Anchored on one fully masked byte: the C library's memchr finds the
// candidates, which are then compared whole. Bytes that fill machine code
// (prefixes, common opcodes, padding) make poor anchors, so a rarer one is
// taken when the pattern has it.
const std::uint8_t* ScanImage(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask) {
  const std::size_t length = std::strlen(mask);
  if (image.size() < length) return nullptr;
  // A match may end at the image's last byte.
  const std::size_t lastStart = image.size() - length;

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

ImageMatch ScanModule(const std::uint8_t* pattern, const char* mask, const std::uint8_t* after) {
  const platform::MemoryImage image = platform::MainImage();
  if (image.base == nullptr) return {nullptr, nullptr};
  const std::uint8_t* const end = image.base + image.size;
  const auto regionEnd = [end](const platform::MemoryRegion& region) {
    return std::min(end, region.base + region.size);
  };
  const std::uint8_t* next = image.base;
  while (next < end) {
    platform::MemoryRegion region = platform::RegionAt(next);
    if (region.size == 0) break;
    const std::uint8_t* const start = next;
    next = regionEnd(region);
    if (!region.readable) continue;
    // Neighbouring readable regions form one run: a match may cross between them.
    while (next < end && (region = platform::RegionAt(next)).readable && region.size != 0)
      next = regionEnd(region);
    // Only what lies beyond a match already found.
    const std::uint8_t* const from = after != nullptr && after >= start ? after + 1 : start;
    if (from >= next) continue;
    const std::size_t length = static_cast<std::size_t>(next - from);
    if (const std::uint8_t* at = ScanImage({from, length}, pattern, mask)) return {at, next};
  }
  return {nullptr, nullptr};
}
