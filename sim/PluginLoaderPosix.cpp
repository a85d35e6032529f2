// On Linux the plug-in is a shared object; the host calls its library entry
// itself, as the Windows loader would.
#include "PluginLoader.h"
#include "host/ScriptHook.h"

#include <dlfcn.h>

#include <cstdint>

namespace sim {

namespace {
using LibraryMain = int (*)(HostModule, std::uint32_t, void*);
constexpr std::uint32_t ProcessDetach = 0;
constexpr std::uint32_t ProcessAttach = 1;

LibraryMain EntryOf(void* library) { return reinterpret_cast<LibraryMain>(dlsym(library, "DllMain")); }
}  // namespace

const char* const PluginFileName = "Halvane.so";

void* LoadPlugin(const std::filesystem::path& file, std::string& error) {
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    error = dlerror();
    return nullptr;
  }
  LibraryMain main = EntryOf(library);
  if (main == nullptr) {
    error = "no library entry";
    dlclose(library);
    return nullptr;
  }
  main(reinterpret_cast<HostModule>(library), ProcessAttach, nullptr);
  return library;
}

bool UnloadPlugin(void* library, const std::filesystem::path& file,
                  const std::function<void()>& afterDetach) {
  EntryOf(library)(reinterpret_cast<HostModule>(library), ProcessDetach, nullptr);
  afterDetach();
  dlclose(library);
  void* still = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (still == nullptr) return true;
  dlclose(still);
  return false;
}

}  // namespace sim
