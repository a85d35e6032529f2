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

// Checks the record's file without making anything: not a folder, not in
// a game folder, not a file that exists. Nothing when it may be made.
std::optional<std::string> RecordProblem(const std::filesystem::path& file) {
  const std::string named = "playground: --record " + Utf8(file);
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    // A file in that folder is advised only where it would be taken.
    const std::filesystem::path inside = file / "record.txt";
    if (const std::optional<std::string> gameFile = playground::GameFile(file)) {
      return named + " is a game folder (it holds " + *gameFile +
             "), and the record is a file the playground makes, never in a game folder. Name a new file "
             "outside it.";
    }
    if (std::filesystem::exists(std::filesystem::symlink_status(inside, error))) {
      return named +
             " is a folder, and the record is a file the playground makes. Name a file that does not "
             "exist yet.";
    }
    return named +
           " is a folder, and the record is a file the playground makes. Name a file that does not exist "
           "yet, such as --record " +
           Utf8(inside) + ".";
  }
  const std::filesystem::path folder =
      file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
  if (const std::optional<std::string> gameFile = playground::GameFile(folder)) {
    return named + ": it would be written into " + Utf8(folder) + ", a game folder (it holds " + *gameFile +
           "), and the playground writes nothing into a game folder. Name a new file outside it.";
  }
  if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
    return named +
           ": that file exists already, and the playground writes its record only into a new file, so it "
           "is left as it is. Name a file that does not exist yet.";
  }
  return std::nullopt;
}

// Checks a --plugin the player typed: a file that can be read. Nothing when
// it can (whether it loads is for the window to say, and Home tries again).
std::optional<std::string> PluginProblem(const std::filesystem::path& plugin) {
  const std::string named = "playground: --plugin " + Utf8(plugin);
  const std::string wayOut =
      " Name the Halvane.asi to load, as in --plugin Halvane.asi, or leave --plugin out (the Halvane.asi "
      "beside the program).";
  std::error_code error;
  if (std::filesystem::is_directory(plugin, error)) return named + " is a folder, not a plug-in." + wayOut;
  const HANDLE file =
      CreateFileW(plugin.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return named + ": it cannot be read (" +
           std::system_category().message(static_cast<int>(GetLastError())) + ")." + wayOut;
  }
  CloseHandle(file);
  return std::nullopt;
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
    problem = "playground: --record " + Utf8(file) +
              ": the record cannot be opened. Name a new file in a "
              "folder you may write.";
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
  // Every option is checked before anything is made: the plug-in typed,
  // the folder and the record, then the record made (which alone tells
  // whether its folder may be written), then the folder; the record is
  // taken back when the folder cannot be made after all.
  std::optional<std::string> refused;
  if (options->pluginTyped) refused = PluginProblem(options->plugin);
  if (!refused) refused = playground::TakeFolder(options->folder, options->folderTyped);
  if (!refused && options->record) refused = RecordProblem(*options->record);
  if (refused) {
    Tell(*refused);
    return 2;
  }
  FILE* record = nullptr;
  if (options->record) {
    record = NewRecord(*options->record, problem);
    if (record == nullptr) {
      Tell(problem);
      return 2;
    }
  }
  if (const std::optional<std::string> failed =
          playground::MakeFolder(options->folder, options->folderTyped)) {
    if (record != nullptr) {
      std::fclose(record);
      DeleteFileW(options->record->c_str());
    }
    Tell(*failed);
    return 2;
  }
  std::fprintf(stderr, "playground: Halvane.ini is in %s; F1 in the window lists the keys\n",
               Utf8(options->folder).c_str());

  Playground playground(options->plugin, options->folder, options->pluginTyped);
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
