#include "vehicle/GearDisplay.h"

#include "config/Config.h"
#include "feedback/ScreenText.h"

#include <array>
#include <bit>
#include <cmath>

namespace {

struct GearLook {
  const char* colourPrefix;
  float slotX;
  float slotY;
  Colour rim;
};

// Gears 1 to 5: an H gate with 1, 3, 5 at the top and 2, 4 at the bottom.
constexpr GearLook GearLooks[GearCount] = {
    {"~r~", 0.922F, 0.806F, {255, 80, 80, 230}},   {"~o~", 0.922F, 0.878F, {255, 160, 60, 230}},
    {"~y~", 0.946F, 0.806F, {255, 220, 60, 230}},  {"~g~", 0.946F, 0.878F, {80, 220, 120, 230}},
    {"~b~", 0.970F, 0.806F, {180, 200, 255, 230}},
};
constexpr Colour OtherRim = {180, 180, 180, 230};
constexpr Colour GateColour = {220, 220, 220, 230};

struct Rect {
  float x;
  float y;
  float width;
  float height;
};
constexpr Rect Gate[] = {
    {0.922F, 0.842F, 0.003F, 0.072F},
    {0.946F, 0.842F, 0.003F, 0.072F},
    {0.970F, 0.842F, 0.003F, 0.072F},
    {0.946F, 0.842F, 0.051F, 0.003F},
};

// The gear numbers as FormatText4 with "%d" writes them, made once rather
// than formatted anew on every pass.
constexpr const char* GearLabels[GearCount] = {"1", "2", "3", "4", "5"};

constexpr float MilesPerHourPerMetrePerSecond = 2.237F;
constexpr float KnobRadius = 0.014F;
constexpr float KnobAspect = 0.5625F;
constexpr int KnobStrips = 18;
constexpr int HighlightStrips = 7;

const GearLook& Look(std::int32_t gear) { return GearLooks[gear - 1]; }

// Width of the knob's rounded outline at height fraction u from its middle.
constexpr float KnobWidth(float radius, float aspect, float u) {
  return 2.0F * (radius * aspect - 0.28F * radius * aspect * u * u);
}

constexpr float Magnitude(float value) { return value < 0.0F ? -value : value; }

// The knob as rectangles: body, rim and highlight strips, in drawing order.
struct KnobShape {
  std::array<Rect, 18 + 36 + 7> rects{};
  std::array<Colour, 18 + 36 + 7> colours{};
  std::size_t count = 0;

  // One horizontal strip from top to bottom; strips overlap slightly so that
  // no gap shows between neighbours.
  constexpr void Strip(float x, float top, float bottom, float width, Colour colour) {
    rects[count] = {x, (top + bottom) / 2.0F, width, bottom - top + 0.0002F};
    colours[count] = colour;
    ++count;
  }
};

constexpr KnobShape ShapeKnob(float x, float y, float r, float a, std::int32_t colourKind) {
  KnobShape knob;
  const Colour rim = colourKind >= 1 && colourKind <= GearCount ? GearLooks[colourKind - 1].rim : OtherRim;
  const auto strips = static_cast<float>(KnobStrips);

  for (int i = 0; i < KnobStrips; ++i) {  // body, shaded from light at the top to dark
    const float t0 = static_cast<float>(i) / strips;
    const float t1 = static_cast<float>(i + 1) / strips;
    const float m = (t0 + t1) / 2.0F;
    const float width = KnobWidth(r, a, 2.0F * Magnitude(m - 0.5F));
    if (width <= 0.0F) continue;
    const auto shade = static_cast<std::int32_t>((1.0F - m) * 30.0F + 50.0F);
    knob.Strip(x, y - r + 2.0F * r * t0, y - r + 2.0F * r * t1, width, {shade, shade, shade, 248});
  }

  const float r2 = r + 0.0018F;
  for (int i = 0; i < KnobStrips; ++i) {  // rim: the coloured border around the body
    const float t0 = static_cast<float>(i) / strips;
    const float t1 = static_cast<float>(i + 1) / strips;
    const float u = 2.0F * Magnitude((t0 + t1) / 2.0F - 0.5F);
    const float top = y - r2 + 2.0F * r2 * t0;
    const float bottom = y - r2 + 2.0F * r2 * t1;
    const float outer = KnobWidth(r2, a, u);
    if (outer <= 0.0F) continue;
    const float inner = 2.0F * (r * a - 0.28F * r * a * u * u - 0.0008F);
    if (inner <= 0.0F || outer <= inner) {
      knob.Strip(x, top, bottom, outer, rim);
    } else {
      const float side = (outer - inner) / 2.0F;
      knob.Strip(x - inner / 2.0F - side / 2.0F, top, bottom, side, rim);
      knob.Strip(x + inner / 2.0F + side / 2.0F, top, bottom, side, rim);
    }
  }

  for (int j = 0; j < HighlightStrips; ++j) {  // a faint sheen over the upper half
    const float s = static_cast<float>(j) / 7.0F;
    const float c = s + 1.0F / 14.0F;
    const float width =
        2.0F * (0.55F * r * a - 0.55F * 0.28F * r * a * (2.0F * c - 0.5F) * (2.0F * c - 0.5F));
    const auto alpha = static_cast<std::int32_t>((1.0F - 1.8F * c) * 18.0F);
    if (width <= 0.0F || alpha <= 0) continue;
    knob.Strip(x, y - r + s * r, y - r + (s + 1.0F / 7.0F) * r, width, {255, 255, 255, alpha});
  }
  return knob;
}

// The indicator's five knobs never change: they are worked out by the
// compiler, once.
constexpr std::array<KnobShape, GearCount> IndicatorKnobs = {
    ShapeKnob(GearLooks[0].slotX, GearLooks[0].slotY, KnobRadius, KnobAspect, 1),
    ShapeKnob(GearLooks[1].slotX, GearLooks[1].slotY, KnobRadius, KnobAspect, 2),
    ShapeKnob(GearLooks[2].slotX, GearLooks[2].slotY, KnobRadius, KnobAspect, 3),
    ShapeKnob(GearLooks[3].slotX, GearLooks[3].slotY, KnobRadius, KnobAspect, 4),
    ShapeKnob(GearLooks[4].slotX, GearLooks[4].slotY, KnobRadius, KnobAspect, 5),
};

void DrawKnob(const KnobShape& knob) {
  for (std::size_t i = 0; i < knob.count; ++i) {
    const Rect& rect = knob.rects[i];
    DrawRectangle(rect.x, rect.y, rect.width, rect.height, knob.colours[i]);
  }
}

}  // namespace

std::optional<std::int32_t> MilesPerHour(float metresPerSecond) {
  const float mph = metresPerSecond * MilesPerHourPerMetrePerSecond;
  // 2^31 as a float: every float strictly between -2^31 - 1 and 2^31
  // converts to a 32-bit integer; NaN fails both tests.
  constexpr float Limit = 2147483648.0F;
  if (!(mph < Limit && mph >= -Limit)) return std::nullopt;
  return static_cast<std::int32_t>(mph);
}

void DrawGearBanner(std::int32_t gear) {
  // The banner shows for a second and a half after each shift: its text is
  // formatted again only when the gear or its limit has changed.
  static constinit struct {
    std::int32_t gear;
    std::uint32_t limitBits;
    char text[64];
  } banner = {};
  const std::uint32_t limitBits = gear == GearCount ? 0 : std::bit_cast<std::uint32_t>(GearSpeed(gear));
  if (banner.gear != gear || banner.limitBits != limitBits) {
    const std::optional<std::int32_t> mph = gear == GearCount ? std::nullopt : MilesPerHour(GearSpeed(gear));
    if (mph) {
      FormatText64(banner.text, "%sGEAR %d  ~w~| Max ~y~%d mph", Look(gear).colourPrefix, gear, *mph);
    } else {
      FormatText64(banner.text, "%sGEAR %d  ~w~| No Limit", Look(gear).colourPrefix, gear);
    }
    banner.gear = gear;
    banner.limitBits = limitBits;
  }
  DrawScreenText(banner.text, 0.5F, 0.915F, {0, 0.4F, {255, 255, 255, 255}, true});
}

void DrawGearIndicator(std::int32_t gear) {
  for (const Rect& line : Gate) DrawRectangle(line.x, line.y, line.width, line.height, GateColour);
  DrawKnob(IndicatorKnobs[static_cast<std::size_t>(gear - 1)]);
  for (std::int32_t n = 1; n <= GearCount; ++n) {
    const char* const label = GearLabels[n - 1];
    const bool selected = n == gear;
    // Labels sit above the top slots and below the bottom ones.
    const float y = n % 2 == 1 ? Look(n).slotY - 0.046F : Look(n).slotY + 0.024F;
    DrawScreenText(label, Look(n).slotX, y,
                   {4, selected ? 0.5F : 0.38F, {255, 255, 255, selected ? 255 : 140}, true});
  }
}

void DrawGearKnob(float x, float y, float radius, float aspect, std::int32_t colourKind) {
  DrawKnob(ShapeKnob(x, y, radius, aspect, colourKind));
}
