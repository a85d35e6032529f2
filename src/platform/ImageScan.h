// Byte-pattern search over the game's executable image, reading only the
// pages that can be read.
#pragma once

#include <cstdint>
#include <span>

// First position in `image` where `pattern` matches under `mask` ('x': the
// byte must equal, anything else: any byte), or nullptr. A match may end at
// the image's last byte; what follows it is the caller's to check.
const std::uint8_t* ScanImage(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask);

struct ImageMatch {
  const std::uint8_t* at;           // the first match, or nullptr
  const std::uint8_t* readableEnd;  // the end of the readable pages around it
};

// ScanImage over the game's main executable image, one run of readable pages
// at a time: pages that are not committed, guarded or closed to reading are
// skipped, as touching them would end the game. With `after`, a match of an
// earlier call, the next match that starts beyond it.
ImageMatch ScanModule(const std::uint8_t* pattern, const char* mask, const std::uint8_t* after = nullptr);
