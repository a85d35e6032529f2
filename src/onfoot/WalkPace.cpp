#include "onfoot/WalkPace.h"

#include "host/Natives.h"
#include "input/Input.h"

namespace {

constexpr float WalkingPace = 1.0F;
constexpr float SprintPace = 3.0F;

struct WalkPaceStateRecord {
  bool ctrlLatch;
  bool freePace;  // Ctrl has lifted the walking pace
};
constinit WalkPaceStateRecord WalkPaceState = {};

}  // namespace

void WalkPaceStep(Entity character) {
  if (KeyFires(WalkPaceState.ctrlLatch, fixed_key::Control)) WalkPaceState.freePace = !WalkPaceState.freePace;
  if (natives::IsControlPressed(Control::Sprint)) {
    WalkPaceState.freePace = false;
    natives::SetMaxPaceThisFrame(character, SprintPace);
  } else if (!WalkPaceState.freePace) {
    natives::SetMaxPaceThisFrame(character, WalkingPace);
    natives::ResetActionMode(character);
  }
}

void ResetWalkPace() { WalkPaceState = {}; }
