// The playground: the real Halvane.asi in a window, played on the real
// keyboard, mouse, pad, clock and sound. It loads the plug-in from a
// playground folder (where its Halvane.ini stays between runs), runs one pass
// per frame at about 60 frames a second on a fiber through the substitute
// ScriptHookV.dll and the game model, and leaves the plug-in's imports alone
// but for PlaySoundA, which it records and passes on to the real one.
//
//   halvane_playground.exe [--plugin Halvane.asi] [--folder DIR] [--record FILE] [--size WxH]
//
// By default the plug-in is the Halvane.asi beside the program and the folder
// is "playground" beside it. --record writes one line a frame: the natives
// that changed the game, the texts drawn, the sounds and their results.
#include "GameProcess.h"
#include "PlaygroundFolder.h"
#include "PlaygroundSession.h"
#include "PlaygroundView.h"
#include "PluginLoader.h"

#include <windows.h>
// windows.h first: these need its types.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

using playground::Playground;

namespace {

struct Options {
  std::filesystem::path plugin;
  std::filesystem::path folder;
  std::optional<std::filesystem::path> record;
  // The window's client area: a 1280x720 game view and the panel, unless told.
  int width = 1280 + PanelWidth;
  int height = 720;
};

constexpr const char* Usage =
    "usage: halvane_playground [--plugin Halvane.asi] [--folder DIR] [--record FILE] [--size WxH]";

// The options, or nothing with what was wrong with them in `problem`.
std::optional<Options> ReadOptions(std::string& problem) {
  const std::filesystem::path here = ProgramFolder();
  std::optional<Options> read = Options{here / sim::PluginFileName, here / "playground", std::nullopt};
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count && read; ++i) {
    const std::wstring option = arguments[i];
    if (i + 1 >= count) {
      read.reset();
      break;
    }
    const std::filesystem::path value = arguments[++i];
    if (option == L"--plugin") {
      read->plugin = value;
    } else if (option == L"--folder") {
      read->folder = value;
    } else if (option == L"--record") {
      read->record = value;
    } else if (option == L"--size") {
      int width = 0;
      int height = 0;
      wchar_t rest = 0;
      if (std::swscanf(arguments[i], L"%dx%d%lc", &width, &height, &rest) != 2 || width > 10000 ||
          height > 10000) {
        read.reset();
      } else if (width < SmallestWindowWidth || height < SmallestWindowHeight) {
        // Below it the menu's text cannot be read.
        problem = "playground: --size " + std::to_string(width) + "x" + std::to_string(height) +
                  " is smaller than the smallest window, " + std::to_string(SmallestWindowWidth) + "x" +
                  std::to_string(SmallestWindowHeight) + " (a " + std::to_string(SmallestViewWidth) + "x" +
                  std::to_string(SmallestViewHeight) +
                  " game view and the panel): in a smaller one the menu's text cannot be read.";
        read.reset();
      } else {
        read->width = width;
        read->height = height;
      }
    } else {
      read.reset();
    }
  }
  LocalFree(arguments);
  if (!read && problem.empty()) problem = Usage;
  return read;
}

// A message for the player: on standard error, and, when the program has no
// standard error to write to (started from Explorer, as a window program),
// in a message box as well.
void Tell(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) {
    MessageBoxA(nullptr, message.c_str(), "Halvane Playground", MB_OK | MB_ICONWARNING);
  }
}

}  // namespace

int main() {
  std::string problem;
  const std::optional<Options> options = ReadOptions(problem);
  if (!options) {
    Tell(problem);
    return 2;
  }
  if (const std::optional<std::string> refused = playground::ClaimFolder(options->folder)) {
    Tell(*refused);
    return 2;
  }
  std::ofstream record;
  if (options->record) record.open(*options->record);

  Playground playground(options->plugin, options->folder);
  playground.Start();
  if (!playground.LoadError().empty())
    std::fprintf(stderr, "playground: %s\n", playground.LoadError().c_str());
  PlaygroundView view;
  if (!view.Open(options->width, options->height)) {
    Tell("playground: no window could be opened");
    return 1;
  }
  // About 60 frames a second, each frame at its own time so that a slow
  // one does not slow the rest.
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (long long frame = 1; !view.Closed() && !playground.Quit(); ++frame) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    playground.Frame();
    if (record.is_open()) record << playground.RecordLine() << std::endl;
    view.Draw(playground.Game(), playground.AmmoCounter(), playground.Panel(), playground.Help(),
              playground.LoadError());
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long due = start.QuadPart + frame * frequency.QuadPart / 60;
    if (due > now.QuadPart) Sleep(static_cast<DWORD>((due - now.QuadPart) * 1000 / frequency.QuadPart));
  }
  playground.Finish();
  return 0;
}
