// Plays a scripted session through the substitute host and the real
// FrameLoop, tells what happens frame by frame, and takes screenshots (the
// player in DemoPlayer.h, its story in DemoStory.h).
//
//   halvane_demo <script> <output folder>
//
// The story goes to standard output and to story.txt in the output folder.
//
// The script has one action a line ('#' starts a comment):
//   say <text>                    print a line of narration
//   frames <n> | wait <ms>        let n frames, or ms milliseconds, pass (16 ms a frame)
//   hold <key> | release <key>    keep a key or pad button down, or let it go
//   tap <key>                     down for one frame, then up for one
//   pad connect | pad disconnect  the gamepad
//   weapon <hash> <clip> <magazine> <total> | weapon unarmed
//   clip <n> | ammo <n>           the weapon in hand's magazine or total
//   car running | car off         a car appears and the player sits in it
//   speed <m/s>                   the car's speed
//   wanted <n> | dead yes|no
//   shot <name>                   a screenshot of the last frame, <name>.png
// Keys: the settings file's key names (T, F2, PAD_A, ...) and LMB, RMB, MMB,
// BACKSPACE, TAB, ENTER, SHIFT, CTRL, SPACE, LEFT, UP, RIGHT, DOWN.
#include "DemoPlayer.h"
#include "DemoScript.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (argc != 3) {
    std::fprintf(stderr, "usage: halvane_demo <script> <output folder>\n");
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
    return 2;
  }
  // The whole script is read first; a wrong action stops the play with its line number.
  std::vector<std::pair<int, std::vector<std::string>>> actions;
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    std::vector<std::string> words = Words(line);
    if (!words.empty()) actions.emplace_back(number, std::move(words));
  }
  Demo demo(argv[2]);
  demo.Start();
  for (const auto& [number, words] : actions) {
    try {
      demo.Run(words);
    } catch (const ScriptError& error) {
      std::fprintf(stderr, "%s:%d: %s\n", argv[1], number, error.message.c_str());
      demo.Finish();
      return 2;
    }
  }
  return demo.Finish();
}
