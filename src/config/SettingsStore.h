// The settings file's store (SettingsStore.cpp), as the settings record's
// life (Settings.cpp) uses it: reading the file whole, saving it, and the
// temporaries a crash left. Nothing outside src/config includes it.
#pragma once

#include <string>

namespace settings_store {

// Whether the file on disk may be written: it was read, or there was none.
extern bool fileMayBeWritten;

enum class ReadOutcome { Read, Missing, Unreadable };
// The whole settings file at SettingsPath into `text`: Missing when there is
// none, Unreadable for a read error or a file too large to be ours.
ReadOutcome ReadSettingsFile(std::string& text);

// Existing: the settings over the file there (links kept). New: a first file,
// made only where none is. True when the settings reached the disk.
enum class Target { Existing, New };
bool Save(Target target);

// Removes the temporaries that no save will take again.
void RemoveStaleTemporaries();

}  // namespace settings_store
