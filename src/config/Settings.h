// The settings file Halvane.ini beside the library.
#pragma once

#include <string>
#include <string_view>

// Set once at start-up by ResolveSettingsPath.
extern std::string SettingsPath;

void ResolveSettingsPath();
// Reads the file into Config; writes a fresh file when there is none.
void LoadSettings();
// The lines of `text`, as a file's content, into Config.
void LoadSettingsText(std::string_view text);
// Writes the whole of Config; a file that cannot be written is left alone.
void SaveSettings();
