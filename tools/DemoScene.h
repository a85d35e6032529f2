// What the demo player tells of a frame: the plug-in's clips by name, and
// what the player can see and hear, compared from frame to frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

// The plug-in's clip of a WAVE image of `size` bytes.
inline const char* ClipName(std::size_t size) {
  switch (size) {
    case 7568:
      return "dry-fire click";
    case 3692:
      return "safety switch";
    case 50766:
      return "gear shift clunk";
    default:
      return "unknown clip";
  }
}

// What the player can see and hear, to tell what changed between frames.
struct Scene {
  std::set<std::string> lines;  // status lines and banner
  bool menuOpen = false;
  int gear = 0;
  std::map<std::int32_t, bool> engines;
  bool handsUp = false;
  std::int32_t wanted = 0;
  float pace = 0.0F;
  bool firingBlocked = false;
  bool ammoCounterHidden = false;
  std::int32_t vehicle = 0;
  std::string settings;
};
