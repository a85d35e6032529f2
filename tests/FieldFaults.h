// What the playthroughs of faults found in the field share: the plug-in
// loaded again over a settings file.
#pragma once

#include "Host.h"

#include <fstream>
#include <string>

// The plug-in loaded again over a settings file holding `text`.
inline void Restart(sim::Host& host, const std::string& text) {
  host.Unload();
  std::ofstream(host.Folder() / "Halvane.ini", std::ios::trunc) << text;
  host.Load();
}
