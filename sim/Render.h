// Turns a frame's draw list into a picture, so that the overlay can be seen
// without the game.
#pragma once

#include "Game.h"

#include <string>

namespace sim {

inline constexpr int ScreenWidth = 1280;
inline constexpr int ScreenHeight = 720;

// Draws the frame's rectangles and texts, in the order the plug-in drew them,
// over a dark background and writes a PNG; false if the file cannot be written.
bool RenderFrame(const Game& game, const std::string& pngFile);

}  // namespace sim
