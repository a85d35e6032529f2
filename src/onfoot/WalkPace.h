// Walking pace on foot unless sprinting; Ctrl frees the pace and back.
#pragma once

#include "host/Natives.h"

void WalkPaceStep(Entity character);
// Walking pace, Ctrl released: the state at load.
void ResetWalkPace();
