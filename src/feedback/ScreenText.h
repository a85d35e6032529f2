// Text on the game screen for the current frame, and bounded formatting.
#pragma once

#include <cstdint>

struct Colour {
  std::int32_t red;
  std::int32_t green;
  std::int32_t blue;
  std::int32_t alpha;
};

// A filled rectangle for this frame, given by its centre and size.
void DrawRectangle(float x, float y, float width, float height, Colour colour);

struct TextStyle {
  std::int32_t font;
  float scale;
  Colour colour;
  bool centred;
};

// The host's eight-call text sequence: all five style calls (font, scale,
// colour, outline, centring), then the text command. The text travels
// unchanged, colour codes ("~r~", "~y~", ...) included.
void DrawScreenText(const char* text, float x, float y, const TextStyle& style);

// The weapon features' message line at the bottom centre of the screen.
void ShowStatusLine(const char* text);

// A notification above the map, as the game posts its own.
void PostNotification(const char* text);

// printf-style formatting into a buffer of fixed size; a longer text is cut
// at the buffer's end. Return the number of characters written, or -1 when
// formatting fails (the buffer then holds an empty text).
#if defined(__GNUC__)
#define HALVANE_PRINTF_FORMAT __attribute__((format(printf, 2, 3)))
#else
#define HALVANE_PRINTF_FORMAT
#endif
int FormatText64(char (&buffer)[64], const char* format, ...) HALVANE_PRINTF_FORMAT;
int FormatText48(char (&buffer)[48], const char* format, ...) HALVANE_PRINTF_FORMAT;
int FormatText4(char (&buffer)[4], const char* format, ...) HALVANE_PRINTF_FORMAT;
