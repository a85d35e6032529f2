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

}  // namespace sim
