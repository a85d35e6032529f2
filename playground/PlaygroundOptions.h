// The playground's options, read from its command line and checked before
// anything is made (PlaygroundOptions.cpp).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace playground {

struct Options {
  std::filesystem::path plugin;
  std::filesystem::path folder;
  std::optional<std::filesystem::path> record;
  // Whether the player typed --plugin, --folder: a refusal names only an
  // option that was typed.
  bool pluginTyped = false;
  bool folderTyped = false;
  // The window's client area; 0 by 0 fits it to the screen (PlaygroundView::Open).
  int width = 0;
  int height = 0;
  bool help = false;
};

// What each option does and its default.
std::string Usage();

// The options, or nothing with what was wrong with them in `problem`: the
// option, what was wrong and what to do instead.
std::optional<Options> ReadOptions(std::string& problem);

}  // namespace playground
