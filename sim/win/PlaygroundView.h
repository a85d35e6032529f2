// The playground's window: what the plug-in asked the game to draw this
// frame, mapped from screen fractions onto the game view, and beside it a
// panel of lines about the world.
#pragma once

#include "Game.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class PlaygroundView {
 public:
  // Opens the window with a client area of the given size; false when it cannot.
  bool Open(int width, int height);
  HWND Window() const { return window_; }
  bool Closed() const { return closed_; }

  // Draws the frame's rectangles and texts in the order the plug-in drew
  // them, the game's ammunition counter at the top right (unless it is
  // empty), the panel's lines, a box of the help lines over the game view
  // when there are any, and the whole of `error` when it is not empty. Every
  // text is sized to fit from 800x450 up, the smallest the window gets.
  void Draw(const sim::Game& game, const std::string& ammoCounter, const std::vector<std::string>& panel,
            const std::vector<std::string>& help, const std::string& error);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Fit();  // the drawing surface follows the client area
  void Blend(int left, int top, int right, int bottom, std::int32_t red, std::int32_t green,
             std::int32_t blue, std::int32_t alpha);
  void PaintRect(const sim::DrawnRect& rect);
  void PaintText(const sim::DrawnText& text);
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
  int viewWidth_ = 0;  // the game view; the panel takes the rest
  bool closed_ = false;
};
