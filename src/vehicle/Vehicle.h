// The in-vehicle and on-foot block of the pass: the engine switch, the exit
// that leaves the engine running, the gears, and the walk pace on foot.
#pragma once

#include "host/Natives.h"

void VehicleStep(Entity character);
// No vehicle known, the engine switch off, the key released: the state at load.
void ResetEngine();
