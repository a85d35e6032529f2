#include "config/Number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsHexDigit(char c) {
  const char lower = static_cast<char>(c | 0x20);
  return (c >= '0' && c <= '9') || (lower >= 'a' && lower <= 'f');
}

// "0x" followed by a hexadecimal digit, or by a point and one.
bool StartsHexNumber(const char* first, const char* last) {
  if (last - first < 3 || first[0] != '0' || (first[1] | 0x20) != 'x') return false;
  return IsHexDigit(first[2]) || (first[2] == '.' && last - first >= 4 && IsHexDigit(first[3]));
}

}  // namespace

std::optional<float> ReadFloat(std::string_view text) {
  const char* first = text.data();
  const char* const last = text.data() + text.size();
  while (first < last && IsSpace(*first)) ++first;
  bool negative = false;
  if (first < last && (*first == '+' || *first == '-')) negative = *first++ == '-';
  // from_chars takes a minus sign of its own: a second sign is no number.
  if (first < last && *first == '-') return std::nullopt;

  float value = 0.0F;
  const bool hex = StartsHexNumber(first, last);
  const std::from_chars_result result = hex ? std::from_chars(first + 2, last, value, std::chars_format::hex)
                                            : std::from_chars(first, last, value);
  if (result.ptr == first || result.ec != std::errc()) return std::nullopt;
  // A result below the smallest normal float has lost precision, which the C
  // library counts as out of range, unless the digits give it exactly; only
  // a hexadecimal number can do that in practice.
  if (value != 0.0F && std::fabs(value) < std::numeric_limits<float>::min()) {
    double wide = 0.0;
    if (!hex || std::from_chars(first + 2, last, wide, std::chars_format::hex).ec != std::errc() ||
        wide != static_cast<double>(value)) {
      return std::nullopt;
    }
  }
  return negative ? -value : value;
}
