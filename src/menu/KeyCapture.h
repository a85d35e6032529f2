// Rebinding a key from the menu: the first key or pad button found down
// becomes the binding of the row being captured.
#pragma once

#include "input/Input.h"

#include <array>

// The codes a capture tests, in order: digits and the codes between them and
// the letters, the letters, F1 to F12, the numeric keypad, the two side mouse
// buttons, and the pad buttons other than A and B, which drive the menu.
extern const std::array<KeyCode, 81> CaptureScanOrder;

// Binds `code` to the row being captured if it is down, saves, and posts a
// notification naming it; returns whether it did.
bool TryCaptureKey(KeyCode code);

// One pass of a capture: stops at the first code of CaptureScanOrder taken;
// returns whether one was.
bool RunKeyCapture();
