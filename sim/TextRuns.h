// Texts as the host shows them: the colour codes ("~r~", "~y~", ...) split a
// text into runs of one colour each. Shared by the picture renderer and the
// playground window.
#pragma once

#include <array>
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

// Text of scale 1.0 is about this tall, as a fraction of the screen height.
inline constexpr double TextHeightAtScaleOne = 0.055;

}  // namespace sim
