// The settings file Halvane.ini beside the library.
#pragma once

#include <string>

// Set once at start-up by ResolveSettingsPath.
extern std::string SettingsPath;

void ResolveSettingsPath();
// Reads the file into Config; writes a fresh file when none can be read.
void LoadSettings();
// Writes the whole of Config; a file that cannot be written is left alone.
void SaveSettings();
