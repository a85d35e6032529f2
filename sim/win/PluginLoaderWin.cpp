// On Windows the loader runs the plug-in's DllMain itself.
#include "PluginLoader.h"

#include "GameProcess.h"

#include <windows.h>

#include <string>

namespace sim {

const char* const PluginFileName = "Halvane.asi";

void* LoadPlugin(const std::filesystem::path& file, std::string& error) {
  // Wide characters, so that folders with any letters in their names load.
  HMODULE library = LoadLibraryW(file.c_str());
  if (library == nullptr) {
    // The error with its cause in words, and the file it is about.
    const DWORD code = GetLastError();
    // The message's inserts ("%1") are the file's name.
    const std::wstring name = file.wstring();
    DWORD_PTR inserts[9];
    for (DWORD_PTR& insert : inserts) insert = reinterpret_cast<DWORD_PTR>(name.c_str());
    wchar_t* words = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&words), 0, reinterpret_cast<va_list*>(inserts));
    std::wstring cause = words != nullptr ? words : L"";
    LocalFree(words);
    while (!cause.empty() && (cause.back() == L'\n' || cause.back() == L'\r' || cause.back() == L' '))
      cause.pop_back();
    error = "LoadLibraryW(" + Utf8(file) + ") failed with error " + std::to_string(code) +
            (cause.empty() ? "" : ": " + Utf8(cause));
  }
  return library;
}

bool UnloadPlugin(void* library, const std::filesystem::path& file,
                  const std::function<void()>& afterDetach) {
  // FreeLibrary runs the detach entry and unmaps the library in one call;
  // the fiber goes after it, as it would in the real host.
  const bool freed = FreeLibrary(static_cast<HMODULE>(library)) != 0;
  afterDetach();
  return freed && GetModuleHandleW(file.c_str()) == nullptr;
}

}  // namespace sim
