// The settings file Halvane.ini beside the library.
#pragma once

#include "config/SettingsTable.h"

#include <string>
#include <string_view>

// Set once at start-up by ResolveSettingsPath.
extern std::string SettingsPath;

void ResolveSettingsPath();
// Reads the file into Config; writes a fresh file when there is none. A file
// that is there but cannot be read (locked, protected, larger than 1 MiB) is
// left alone, and no save touches it until a later load has read it.
void LoadSettings();
// Tries the load again when the file could not be read so far (the menu
// opening: a lock may be gone by then). The file's settings apply to every
// setting the player has not set in this run; the player's stay over them.
// True when the file was read now and the player had set anything: the
// caller then keeps its rules over the player's settings and saves the
// whole record. A file nobody set anything over is left as it is.
bool RetrySettingsLoad();
// The player set `setting` in the menu: it is the player's for the rest of
// the run, whatever the file says when it is read at last.
void NoteSetByPlayer(const SettingEntry& setting);
bool SetByPlayer(const SettingEntry& setting);
// The lines of `text`, as a file's content, into Config: a leading UTF-8
// byte-order mark skipped, lines split at LF, the CR of a CR LF pair dropped.
void LoadSettingsText(std::string_view text);
// The whole of Config as the file holds it: sections, key=value lines, line
// breaks of the platform's.
std::string SettingsText();
// Writes the whole of Config; a file that cannot be written, or has not been
// read, is left alone. True when the settings reached the disk.
bool SaveSettings();

// No path and nothing read yet, so nothing may be written: the state at load.
void ResetSettingsFile();
