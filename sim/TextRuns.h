// Texts as the host shows them: the colour codes ("~r~", "~y~", ...) split a
// text into runs of one colour each. Shared by the picture renderer and the
// playground window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

using Rgb = std::array<std::int32_t, 3>;

// The colour a host colour code switches to; false for a code the host does
// not know.
bool ColourOfCode(char code, Rgb& colour);

struct TextRun {
  std::string text;
  Rgb colour;
};

// Splits a text at its colour codes, starting in `base`; "~w~" and unknown
// codes return to white.
std::vector<TextRun> SplitAtCodes(const std::string& text, Rgb base);

// Each line cut into pieces of at most `columns` letters, at a space where
// there is one, else after a path's separator; the pieces after the first
// are indented.
std::vector<std::string> WrapLines(const std::vector<std::string>& lines, std::size_t columns);

// Text of scale 1.0 is about this tall, as a fraction of the screen height.
inline constexpr double TextHeightAtScaleOne = 0.055;

}  // namespace sim
