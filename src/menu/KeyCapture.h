// Rebinding a key from the menu: which key or pad button a capture takes.
#pragma once

#include "input/Input.h"

#include <array>
#include <optional>

// The codes a capture tests, in order: digits and the codes between them and
// the letters, the letters, F1 to F12, the numeric keypad, the two side mouse
// buttons, and the pad buttons other than A and B, which drive the menu.
extern const std::array<KeyCode, 81> CaptureScanOrder;

// The first code of CaptureScanOrder that is down and has a name, or nothing.
std::optional<KeyCode> CapturedKey();
