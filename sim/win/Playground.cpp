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
#include "PlaygroundSession.h"
#include "PlaygroundView.h"

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
  int width = 1600;
  int height = 720;
};

std::optional<Options> ReadOptions() {
  const std::filesystem::path here = ProgramFolder();
  Options options{here / "Halvane.asi", here / "playground", std::nullopt};
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) {
    const std::wstring option = arguments[i];
    if (i + 1 >= count) return std::nullopt;
    const std::filesystem::path value = arguments[++i];
    if (option == L"--plugin") {
      options.plugin = value;
    } else if (option == L"--folder") {
      options.folder = value;
    } else if (option == L"--record") {
      options.record = value;
    } else if (option == L"--size") {
      // WIDTHxHEIGHT, from the smallest the window allows (800x450).
      if (std::swscanf(arguments[i], L"%dx%d", &options.width, &options.height) != 2 || options.width < 800 ||
          options.height < 450 || options.width > 10000 || options.height > 10000) {
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  LocalFree(arguments);
  return options;
}

// The playground installs its copy of the plug-in as Halvane.asi in its
// folder, over whatever is there. It does so only in a folder of its own:
// one it marked when it first installed there (the playground folder beside
// the program is always its own). A folder with a Halvane.asi it did not put
// there (a game's) is refused, and nothing in it is touched.
constexpr const wchar_t* OwnMark = L"halvane-playground.folder";

bool OwnFolder(const Options& options) {
  if (options.folder == ProgramFolder() / "playground") return true;
  std::error_code error;
  if (std::filesystem::exists(options.folder / OwnMark, error)) return true;
  return !std::filesystem::exists(options.folder / "Halvane.asi", error) && !error;
}

void MarkOwnFolder(const Options& options) {
  std::error_code error;
  std::filesystem::create_directories(options.folder, error);
  std::ofstream(options.folder / OwnMark)
      << "This folder is the Halvane playground's: it installs Halvane.asi here.\n";
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
  const std::optional<Options> options = ReadOptions();
  if (!options) {
    Tell("usage: halvane_playground [--plugin Halvane.asi] [--folder DIR] [--record FILE] [--size WxH]");
    return 2;
  }
  if (!OwnFolder(*options)) {
    const std::u8string folder = options->folder.u8string();
    Tell("playground: " + std::string(folder.begin(), folder.end()) +
         " holds a Halvane.asi the playground did not put there (a game's?); it is left alone: choose "
         "another --folder");
    return 2;
  }
  MarkOwnFolder(*options);
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
