#include "config/Settings.h"

void ResolveSettingsPath() {}
void LoadSettings() {}
void SaveSettings() {}
