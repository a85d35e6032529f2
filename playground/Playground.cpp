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
// The options are read and checked in PlaygroundOptions.cpp.
#include "GameProcess.h"
#include "PlaygroundFolder.h"
#include "PlaygroundOptions.h"
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

using playground::Options;
using playground::Playground;
using playground::ReadOptions;
using playground::Usage;

namespace {

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
