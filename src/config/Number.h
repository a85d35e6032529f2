// Numbers in the settings file, read the same way whatever C locale another
// part of the game's process has set.
#pragma once

#include <optional>
#include <string_view>

// The number at the start of `text`, read as the C library's strtof reads it
// in the "C" locale: leading white space skipped, an optional sign, then a
// decimal number with '.' and an optional exponent, a hexadecimal one
// ("0x1.8p3"), "inf", "infinity" or "nan" (any case); whatever follows is
// ignored. Nothing when no number starts the text, or when it is outside
// the float range (too large, or so small that it loses precision).
std::optional<float> ReadFloat(std::string_view text);
