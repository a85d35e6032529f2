// The playground's window: what the plug-in asked the game to draw this
// frame, mapped from screen fractions onto the game view, and beside it a
// panel of lines about the world.
#pragma once

#include "Game.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The panel's lines are wrapped at this many letters, so that its font is
// sized for them rather than for the longest line.
inline constexpr std::size_t PanelColumns = 36;

// The game's screen is 16:9: the game view keeps that shape at every window
// size, letterboxed in the room the panel leaves, and is never smaller than
// this, at which the menu's capitals are 8 pixels high and its smallest
// hint can still be read.
inline constexpr int SmallestViewWidth = 1024;
inline constexpr int SmallestViewHeight = 576;
// The panel beside the game view, at the right of the window.
inline constexpr int PanelWidth = 320;
inline constexpr int SmallestWindowWidth = SmallestViewWidth + PanelWidth;
inline constexpr int SmallestWindowHeight = SmallestViewHeight;
// Unless told a size, the window opens with the largest 16:9 game view up to
// this one that fits, with the panel and the window's frame, the work area
// of the screen it opens on (never below the smallest).
inline constexpr int LargestDefaultViewWidth = 1280;
inline constexpr int LargestDefaultViewHeight = 720;

class PlaygroundView {
 public:
  // Opens the window with a client area of the given size, or of the
  // default size for its screen when that is 0 by 0; false when it cannot.
  bool Open(int width, int height);
  // The largest client area whose window, frame and all, fits the work area
  // of the screen the window opens on.
  static SIZE LargestWindow();
  HWND Window() const { return window_; }
  bool Closed() const { return closed_; }

  // Draws the frame's rectangles and texts in the order the plug-in drew
  // them, the game's ammunition counter at the top right (unless it is
  // empty), the panel's lines, a box of the help lines over the game view
  // when there are any, and the whole of `error` when it is not empty. All
  // but the panel lie within the game view and are sized by it.
  void Draw(const sim::Game& game, const std::string& ammoCounter, const std::vector<std::string>& panel,
            const std::vector<std::string>& help, const std::string& error);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Fit();  // the drawing surface follows the client area
  static std::uint32_t Pixel(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue);
  }
  // Blends one colour over a box, clipped to `within`.
  void Blend(RECT box, const RECT& within, std::int32_t red, std::int32_t green, std::int32_t blue,
             std::int32_t alpha);
  RECT RectBox(const sim::DrawnRect& rect) const;  // the rectangle's pixels in the game view
  void PaintRect(const sim::DrawnRect& rect);
  void PaintText(const sim::DrawnText& text, const std::vector<sim::DrawnRect>& rects);
  // The last of `rects` drawn before the text under its first letter, whose
  // top left is at x, y; nothing when it starts on none.
  std::optional<RECT> PanelUnder(const sim::DrawnText& text, const std::vector<sim::DrawnRect>& rects, int x,
                                 int y) const;
  // Lines in a fixed-pitch font sized so that all of them fit the box.
  void Lines(const std::vector<std::string>& lines, int x, int y, int width, int height, int largest,
             COLORREF colour);
  void PaintAmmoCounter(const std::string& counter);

  HWND window_ = nullptr;
  HDC surface_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  std::uint32_t* pixels_ = nullptr;  // top-down 0x00RRGGBB
  int width_ = 0;
  int height_ = 0;
  RECT view_ = {};  // the game view, in the room left of the panel
  bool closed_ = false;
};
