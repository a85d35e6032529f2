// Loading and unloading the plug-in library, with its attach and detach entry.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace sim {

// The name the plug-in is installed under in the game folder.
extern const char* const PluginFileName;

// Loads the library, which registers its script entry; nullptr (and `error`
// set) when it cannot be loaded.
void* LoadPlugin(const std::filesystem::path& file, std::string& error);

// Detaches and unloads the library; `afterDetach` runs between the two.
// Returns whether the library really left the process.
bool UnloadPlugin(void* library, const std::filesystem::path& file, const std::function<void()>& afterDetach);

}  // namespace sim
