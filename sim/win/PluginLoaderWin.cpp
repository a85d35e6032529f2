// On Windows the loader runs the plug-in's DllMain itself.
#include "PluginLoader.h"

#include <windows.h>

namespace sim {

const char* const PluginFileName = "Halvane.asi";

void* LoadPlugin(const std::filesystem::path& file, std::string& error) {
  // Wide characters, so that folders with any letters in their names load.
  HMODULE library = LoadLibraryW(file.c_str());
  if (library == nullptr) error = "LoadLibraryW failed with error " + std::to_string(GetLastError());
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
