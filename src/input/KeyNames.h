// The names of key codes, as the settings file and the menu show them.
#pragma once

#include "input/Input.h"

#include <string_view>

// The code's name, or "?" for a code that has none.
const char* KeyName(KeyCode code);

// The code whose name is exactly `name` (case-sensitive, nothing trimmed), or -1.
KeyCode KeyCodeFromName(std::string_view name);
