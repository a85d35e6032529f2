#include "TextRuns.h"

namespace sim {

bool ColourOfCode(char code, Rgb& colour) {
  switch (code) {
    case 'r':
      colour = {224, 50, 50};
      return true;
    case 'g':
      colour = {114, 204, 114};
      return true;
    case 'y':
      colour = {240, 200, 80};
      return true;
    case 'o':
      colour = {255, 133, 85};
      return true;
    case 'w':
      colour = {240, 240, 240};
      return true;
    case 'b':
      colour = {93, 182, 229};
      return true;
    case 'c':
      colour = {139, 139, 139};
      return true;
    default:
      return false;
  }
}

std::vector<TextRun> SplitAtCodes(const std::string& text, Rgb base) {
  std::vector<TextRun> runs{{"", base}};
  for (std::size_t i = 0; i < text.size(); ++i) {
    Rgb colour;
    if (text[i] == '~' && i + 2 < text.size() && text[i + 2] == '~') {
      if (!ColourOfCode(text[i + 1], colour)) colour = {255, 255, 255};
      runs.push_back({"", colour});
      i += 2;
      continue;
    }
    runs.back().text += text[i];
  }
  return runs;
}

// Each line cut into pieces of at most `columns` letters, at a space where
// there is one; the pieces after the first are indented.
std::vector<std::string> WrapLines(const std::vector<std::string>& lines, std::size_t columns) {
  std::vector<std::string> wrapped;
  for (std::string line : lines) {
    while (line.size() > columns) {
      // At a space; else after a path's separator, so that a long path breaks
      // between folder names; else where the column ends.
      std::size_t cut = line.rfind(' ', columns);
      std::size_t rest = cut + 1;
      if (cut == std::string::npos || cut < columns / 2) {
        const std::size_t separator = line.find_last_of("\\/", columns - 1);
        cut = separator != std::string::npos && separator >= columns / 2 ? separator + 1 : columns;
        rest = cut;
      }
      wrapped.push_back(line.substr(0, cut));
      line = "  " + line.substr(rest);
    }
    wrapped.push_back(line);
  }
  return wrapped;
}

}  // namespace sim
