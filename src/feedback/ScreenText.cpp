#include "feedback/ScreenText.h"

#include "host/Natives.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr TextStyle StatusLineStyle = {0, 0.45F, {255, 255, 255, 255}, true};
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

// A text command begun is always ended, even when a host call between the
// two throws: the host would otherwise take the next command's text into
// this one. The first failure goes on to the caller.
template <typename Body, typename End>
void EndedWhateverHappens(Body body, End end) {
  try {
    body();
  } catch (...) {
    try {
      end();
    } catch (...) {
      // Nothing more can end it.
    }
    throw;
  }
  end();
}

}  // namespace

void DrawRectangle(float x, float y, float width, float height, Colour colour) {
  natives::DrawRect(x, y, width, height, colour.red, colour.green, colour.blue, colour.alpha);
}

void DrawScreenText(const char* text, float x, float y, const TextStyle& style) {
  natives::SetTextFont(style.font);
  natives::SetTextScale(style.scale, style.scale);
  natives::SetTextColour(style.colour.red, style.colour.green, style.colour.blue, style.colour.alpha);
  natives::SetTextOutline();
  natives::SetTextCentre(style.centred);
  natives::BeginTextCommandDisplayText("STRING");
  EndedWhateverHappens([text] { natives::AddTextComponentString(text); },
                       [x, y] { natives::EndTextCommandDisplayText(x, y); });
}

void ShowStatusLine(const char* text) { DrawScreenText(text, StatusLineX, StatusLineY, StatusLineStyle); }

void PostNotification(const char* text) {
  natives::BeginTextCommandNotification("STRING");
  EndedWhateverHappens([text] { natives::AddTextComponentString(text); },
                       [] { natives::EndTextCommandPostNotification(); });
}

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
