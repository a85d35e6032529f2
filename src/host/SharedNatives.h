// The natives that more than one subsystem calls, each named once.
#pragma once

#include "host/Native.h"

namespace shared_native {
// entity: nonzero while it exists / while it is dead.
inline constexpr NativeHash EntityExists = 0x7239B21A38F536BA;
inline constexpr NativeHash EntityIsDead = 0x5F9532F3B5CC2551;
// character, 0: nonzero while it sits in any vehicle.
inline constexpr NativeHash IsInAnyVehicle = 0x997ABD671D25CA0B;
// 0, control, 1: the control does nothing this frame.
inline constexpr NativeHash DisableControl = 0xFE99B66D079CF6BC;
// 0, control, value: the control's value for the next frame.
inline constexpr NativeHash SetControlValueNextFrame = 0xE8A25867FBA3B05E;
// component: hidden this frame.
inline constexpr NativeHash HideHudComponentThisFrame = 0x6806C51AD12B83B8;
// text: added to the open text command or notification.
inline constexpr NativeHash AddTextString = 0x6C188BE134E074AA;
// centre x, centre y, width, height, red, green, blue, alpha: a filled rectangle this frame.
inline constexpr NativeHash DrawRect = 0x3A618A217E5154F0;
}  // namespace shared_native
