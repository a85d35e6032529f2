// The playground's options: what each does, and each read from the command
// line and checked, a refusal naming the option as given, what was wrong and
// a way out.
#include "PlaygroundOptions.h"

#include "GameProcess.h"
#include "PlaygroundView.h"
#include "PluginLoader.h"

#include <windows.h>
// windows.h first: this needs its types.
#include <shellapi.h>

#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>

namespace playground {

// What each option does and its default.
std::string Usage() {
  const std::string smallest =
      std::to_string(SmallestWindowWidth) + "x" + std::to_string(SmallestWindowHeight);
  const std::string largest =
      std::to_string(LargestDefaultViewWidth + PanelWidth) + "x" + std::to_string(LargestDefaultViewHeight);
  return "usage: halvane_playground [--plugin FILE] [--folder DIR] [--record FILE] [--size WxH]\n"
         "  --plugin FILE  the Halvane.asi to load, and to load again when Home is pressed\n"
         "                 (default: the Halvane.asi beside the program)\n"
         "  --folder DIR   the playground's folder, where it installs Halvane.asi and Halvane\n"
         "                 keeps Halvane.ini: a folder that does not exist yet (it makes it)\n"
         "                 or one it made before (default: \"playground\" beside the program)\n"
         "  --record FILE  writes one line a frame (what the plug-in changed, drew and played,\n"
         "                 and the world) into FILE, a new file outside any game folder: an\n"
         "                 existing file, or one in a game folder, is refused (default: no record)\n"
         "  --size WxH     the window's inside, " +
         smallest +
         " at least and at most what fits the screen\n"
         "                 with the window's frame (default: the largest that fits, up to " +
         largest +
         ")\n"
         "  --default-plugin FILE, --default-folder DIR\n"
         "                 the defaults of a script that starts the playground: as --plugin\n"
         "                 and --folder, but a refusal names the file or folder, not the option\n"
         "  --help         this list";
}

namespace {

// What each option takes, and an example of it, for a refusal to name.
struct OptionValue {
  const wchar_t* option;
  const char* takes;
  const char* example;
};
constexpr OptionValue OptionValues[] = {
    {L"--plugin", "the Halvane.asi to load", "--plugin Halvane.asi"},
    {L"--folder", "the folder to play in (a new one, or one the playground made)", "--folder my-playground"},
    {L"--record", "a new file to write the record into", "--record record.txt"},
    {L"--size", "the window's inside as WIDTHxHEIGHT in pixels", "--size 1344x576"},
    {L"--default-plugin", "the Halvane.asi to load unless --plugin is given", "--default-plugin Halvane.asi"},
    {L"--default-folder", "the folder to play in unless --folder is given", "--default-folder my-playground"},
};

// The size given, checked against the smallest window that can be read and
// the largest this screen has room for: nothing when it fits, else why not.
std::optional<std::string> SizeProblem(const std::string& given, int& width, int& height) {
  wchar_t rest = 0;
  const std::wstring wide(given.begin(), given.end());
  if (std::swscanf(wide.c_str(), L"%dx%d%lc", &width, &height, &rest) != 2 || width <= 0 || height <= 0) {
    return "playground: --size " + given +
           " is not a size: give the window's inside as WIDTHxHEIGHT in pixels, as in --size 1344x576, or "
           "leave --size out (the largest window that fits the screen).";
  }
  if (width < SmallestWindowWidth || height < SmallestWindowHeight) {
    // Below it the menu's text cannot be read.
    return "playground: --size " + given + " is smaller than the smallest window, " +
           std::to_string(SmallestWindowWidth) + "x" + std::to_string(SmallestWindowHeight) + " (a " +
           std::to_string(SmallestViewWidth) + "x" + std::to_string(SmallestViewHeight) +
           " game view and the panel): in a smaller one the menu's text cannot be read. Give a --size of "
           "at least that, or none.";
  }
  const SIZE largest = PlaygroundView::LargestWindow();
  if (width > largest.cx || height > largest.cy) {
    return "playground: --size " + given +
           " is larger than this screen has room for: the largest --size that fits (the window's inside, "
           "with its frame around it) is " +
           std::to_string(largest.cx) + "x" + std::to_string(largest.cy) +
           ". Give a --size of at most that, or none (the largest 16:9 game view that fits).";
  }
  return std::nullopt;
}

}  // namespace

// The options, or nothing with what was wrong with them in `problem`: the
// option, what was wrong and what to do instead.
std::optional<Options> ReadOptions(std::string& problem) {
  const std::filesystem::path here = ProgramFolder();
  Options read{here / sim::PluginFileName, here / "playground", std::nullopt};
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count && problem.empty(); ++i) {
    const std::wstring option = arguments[i];
    if (option == L"--help" || option == L"-h" || option == L"/?") {
      read.help = true;
      continue;
    }
    const OptionValue* known = nullptr;
    for (const OptionValue& value : OptionValues)
      if (option == value.option) known = &value;
    if (known == nullptr) {
      problem = "playground: unknown option " + Utf8(option) +
                ". The options are --plugin, --folder, --record, --size and --help (which says what each "
                "does).";
      break;
    }
    if (i + 1 >= count) {
      problem = "playground: " + Utf8(option) + " needs a value: " + known->takes + ", as in " +
                known->example + "; or leave " + Utf8(option) +
                " out. --help lists the options and their defaults.";
      break;
    }
    const std::filesystem::path value = arguments[++i];
    if (option == L"--plugin" || option == L"--default-plugin") {
      if (!read.pluginTyped) read.plugin = value;
      read.pluginTyped = read.pluginTyped || option == L"--plugin";
    } else if (option == L"--folder" || option == L"--default-folder") {
      if (!read.folderTyped) read.folder = value;
      read.folderTyped = read.folderTyped || option == L"--folder";
    } else if (option == L"--record") {
      read.record = value;
    } else if (const std::optional<std::string> wrong = SizeProblem(Utf8(value), read.width, read.height)) {
      problem = *wrong;
    }
  }
  LocalFree(arguments);
  if (!problem.empty()) return std::nullopt;
  return read;
}

}  // namespace playground
