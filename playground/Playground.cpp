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
// is "playground" beside it. --record writes one line a frame into a new
// file: the natives that changed the game, the texts drawn, the sounds and
// their results. The window fits the screen unless --size says otherwise.
#include "GameProcess.h"
#include "PlaygroundFolder.h"
#include "PlaygroundSession.h"
#include "PlaygroundView.h"
#include "PluginLoader.h"

#include <windows.h>
// windows.h first: these need its types.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

using playground::Playground;

namespace {

struct Options {
  std::filesystem::path plugin;
  std::filesystem::path folder;
  std::optional<std::filesystem::path> record;
  // The window's client area; 0 by 0 fits it to the screen (PlaygroundView::Open).
  int width = 0;
  int height = 0;
  bool help = false;
};

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
         "                 and the world) into FILE, a new file: an existing one is refused\n"
         "                 (default: no record)\n"
         "  --size WxH     the window's inside, " +
         smallest + " at least\n                 (default: the largest that fits the screen, up to " +
         largest +
         ")\n"
         "  --help         this list";
}

// The options, or nothing with what was wrong with them in `problem`.
std::optional<Options> ReadOptions(std::string& problem) {
  const std::filesystem::path here = ProgramFolder();
  std::optional<Options> read = Options{here / sim::PluginFileName, here / "playground", std::nullopt};
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count && read; ++i) {
    const std::wstring option = arguments[i];
    if (option == L"--help" || option == L"-h" || option == L"/?") {
      read->help = true;
      continue;
    }
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
        problem =
            "playground: --size " + std::to_string(width) + "x" + std::to_string(height) +
            " is smaller than the smallest window, " + std::to_string(SmallestWindowWidth) + "x" +
            std::to_string(SmallestWindowHeight) + " (a " + std::to_string(SmallestViewWidth) + "x" +
            std::to_string(SmallestViewHeight) +
            " game view and the panel): in a smaller one the menu's text cannot be read. Give a --size of "
            "at least that, or none.";
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
  if (!read && problem.empty()) problem = Usage();
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

// Makes the record as a new file: the playground writes over no file, so a
// path that exists is refused. Null, with what to do in `problem`, when it
// cannot be made.
FILE* NewRecord(const std::filesystem::path& file, std::string& problem) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
      problem = "playground: --record " + Utf8(file) +
                ": that file exists already, and the playground writes its record only into a new file, "
                "so it is left as it is. Name a file that does not exist yet.";
    } else {
      problem = "playground: --record " + Utf8(file) + ": the record cannot be made there (" +
                std::system_category().message(static_cast<int>(code)) +
                "). Name a new file in a folder you may write.";
    }
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
  FILE* stream = descriptor == -1 ? nullptr : _fdopen(descriptor, "w");
  if (stream == nullptr) {
    if (descriptor == -1)
      CloseHandle(handle);
    else
      _close(descriptor);
    DeleteFileW(file.c_str());
    problem = "playground: --record " + Utf8(file) + ": the record cannot be opened.";
  }
  return stream;
}

// One frame's line, on the disk before the next frame; false when it could not be written.
bool WriteRecordLine(FILE* record, const std::string& line) {
  return std::fputs(line.c_str(), record) >= 0 && std::fputc('\n', record) != EOF && std::fflush(record) == 0;
}

}  // namespace

int main() {
  std::string problem;
  const std::optional<Options> options = ReadOptions(problem);
  if (!options) {
    Tell(problem);
    return 2;
  }
  if (options->help) {
    Tell(Usage());
    return 0;
  }
  // The record first, so that a record it cannot make leaves no folder
  // behind; and taken back when the folder is refused.
  FILE* record = nullptr;
  if (options->record) {
    record = NewRecord(*options->record, problem);
    if (record == nullptr) {
      Tell(problem);
      return 2;
    }
  }
  if (const std::optional<std::string> refused = playground::ClaimFolder(options->folder)) {
    if (record != nullptr) {
      std::fclose(record);
      DeleteFileW(options->record->c_str());
    }
    Tell(*refused);
    return 2;
  }

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
    if (record != nullptr && !WriteRecordLine(record, playground.RecordLine())) {
      Tell("playground: the record " + Utf8(*options->record) + " cannot be written any more (" +
           std::generic_category().message(errno) + "); the playground goes on without it.");
      std::fclose(record);
      record = nullptr;
    }
    view.Draw(playground.Game(), playground.AmmoCounter(), playground.Panel(), playground.Help(),
              playground.LoadError());
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long due = start.QuadPart + frame * frequency.QuadPart / 60;
    if (due > now.QuadPart) Sleep(static_cast<DWORD>((due - now.QuadPart) * 1000 / frequency.QuadPart));
  }
  playground.Finish();
  if (record != nullptr) std::fclose(record);
  return 0;
}
