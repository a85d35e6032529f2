#include "feedback/ScreenText.h"

#include "host/Native.h"
#include "host/SharedNatives.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr NativeHash SetTextFont = 0x66E0276CC5F6B9DA;
constexpr NativeHash SetTextScale = 0x07C837F9A01C34C9;
constexpr NativeHash SetTextColour = 0xBE6B23FFA53FB442;
constexpr NativeHash SetTextOutline = 0x2513DFB0FB8400FE;
constexpr NativeHash SetTextCentre = 0xC02F4DBFB51D988B;
constexpr NativeHash BeginTextCommand = 0x25FBB336DF1804CB;
constexpr NativeHash EndTextCommandDraw = 0xCD015E5BB0D96A57;

constexpr TextStyle StatusLineStyle = {0, 0.45F, 255, 255, 255, 255, true};
constexpr float StatusLineX = 0.5F;
constexpr float StatusLineY = 0.92F;

#if defined(__GNUC__)
__attribute__((format(printf, 3, 0)))
#endif
int FormatBounded(char* buffer, std::size_t size, const char* format, std::va_list values) {
  const int needed = std::vsnprintf(buffer, size, format, values);
  buffer[size - 1] = '\0';  // some C runtimes leave a cut text unterminated
  if (needed < 0) {
    buffer[0] = '\0';
    return -1;
  }
  return static_cast<int>(std::strlen(buffer));
}

}  // namespace

void DrawRectangle(float x, float y, float width, float height, Colour colour) {
  CallNative(shared_native::DrawRect, x, y, width, height, colour.red, colour.green, colour.blue,
             colour.alpha);
}

void DrawStyledText(const char* text, float x, float y, const TextStyle& style) {
  CallNative(SetTextFont, style.font);
  CallNative(SetTextScale, style.scale, style.scale);
  CallNative(SetTextColour, style.red, style.green, style.blue, style.alpha);
  CallNative(SetTextOutline);
  CallNative(SetTextCentre, style.centred);
  CallNative(BeginTextCommand, "STRING");
  CallNative(shared_native::AddTextString, text);
  CallNative(EndTextCommandDraw, x, y);
}

void DrawScreenText(const char* text, float x, float y, float scale, std::int32_t red, std::int32_t green,
                    std::int32_t blue, std::int32_t alpha, bool centred) {
  DrawStyledText(text, x, y, {0, scale, red, green, blue, alpha, centred});
}

void ShowStatusLine(const char* text) { DrawStyledText(text, StatusLineX, StatusLineY, StatusLineStyle); }

#define HALVANE_DEFINE_FORMATTER(name, size)                         \
  int name(char(&buffer)[size], const char* format, ...) {           \
    std::va_list values;                                             \
    va_start(values, format);                                        \
    const int written = FormatBounded(buffer, size, format, values); \
    va_end(values);                                                  \
    return written;                                                  \
  }

HALVANE_DEFINE_FORMATTER(FormatText64, 64)
HALVANE_DEFINE_FORMATTER(FormatText48, 48)
HALVANE_DEFINE_FORMATTER(FormatText4, 4)
