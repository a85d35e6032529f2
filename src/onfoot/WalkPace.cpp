#include "onfoot/WalkPace.h"

#include "host/Native.h"
#include "input/Input.h"

constinit WalkPaceStateRecord WalkPaceState = {};

namespace {
constexpr NativeHash ControlPressed = 0xF3A21BCD95725A4A;
constexpr NativeHash SetMaxPaceThisFrame = 0x433083750C5E064A;
constexpr NativeHash SetActionMode = 0xD75ACCF5E0FB5367;
constexpr std::int32_t SprintControl = 21;
constexpr float WalkingPace = 1.0F;
constexpr float SprintPace = 3.0F;
}  // namespace

void WalkPaceStep(std::int32_t character) {
  if (KeyFires(WalkPaceState.ctrlLatch, fixed_key::Control)) WalkPaceState.freePace = !WalkPaceState.freePace;
  if (CallNative<bool>(ControlPressed, 0, SprintControl)) {
    WalkPaceState.freePace = false;
    CallNative(SetMaxPaceThisFrame, character, SprintPace);
  } else if (!WalkPaceState.freePace) {
    CallNative(SetMaxPaceThisFrame, character, WalkingPace);
    CallNative(SetActionMode, character, 0, -1, "DEFAULT");
  }
}
