// The demo player's story: what it tells, on standard output and in a file,
// with the game's colour codes shown as the player sees them.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// The story, told on standard output and written to a file. The game's
// colour codes in a text ("~r~", "~y~", ...) are shown as the player sees
// them: as colours on a terminal that has them, and left out elsewhere
// (the file, a pipe, a terminal without colours).
class Story {
 public:
  explicit Story(const std::filesystem::path& file) : file_(file), colours_(TerminalHasColours()) {}

  void Print(const std::string& text) {
    const std::string plain = Shown(text, false);
    std::fputs(colours_ ? Shown(text, true).c_str() : plain.c_str(), stdout);
    file_ << plain << std::flush;
  }

 private:
  static bool TerminalHasColours() {
    const char* terminal = std::getenv("TERM");
    return isatty(STDOUT_FILENO) != 0 && std::getenv("NO_COLOR") == nullptr && terminal != nullptr &&
           std::string_view(terminal) != "dumb";
  }

  // The terminal's colour for a code; white (and an unknown code, which the
  // game shows in white) is the terminal's own colour.
  static const char* Colour(char code) {
    switch (code) {
      case 'r':
        return "\033[31m";
      case 'g':
        return "\033[32m";
      case 'y':
        return "\033[33m";
      case 'o':
        return "\033[38;5;208m";
      case 'b':
        return "\033[34m";
      case 'c':
        return "\033[90m";
      default:
        return "\033[39m";
    }
  }

  // The text without its codes, or with each code as its colour and the
  // terminal's colours back before the line ends.
  static std::string Shown(const std::string& text, bool coloured) {
    std::string shown;
    bool changed = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '~' && i + 2 < text.size() && text[i + 2] == '~') {
        if (coloured) shown += Colour(text[i + 1]);
        changed = coloured;
        i += 2;
        continue;
      }
      if (text[i] == '\n' && changed) {
        shown += "\033[0m";
        changed = false;
      }
      shown += text[i];
    }
    if (changed) shown += "\033[0m";
    return shown;
  }

  std::ofstream file_;
  bool colours_;
};
