// The in-vehicle and on-foot block of the pass: the engine switch, the exit
// that leaves the engine running, the gears, and the walk pace on foot.
#pragma once

#include "host/Natives.h"

void VehicleStep(Entity character);
// While the menu is open and the player's keys rest: notices getting out,
// moving seats and changing cars, so that the first pass after the menu
// treats the wheel it finds as one just taken (gear 1, the engine as found).
void VehicleWatchStep(Entity character);
// No vehicle known, the engine switch off, the key released: the state at load.
void ResetEngine();
