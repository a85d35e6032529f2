// Hands up, with the wanted level cut to 1, until a movement key, a mouse
// button, the binding again, death or a vehicle ends it.
#pragma once

#include "host/Natives.h"

void SurrenderStep(Entity character);
// Hands down, the key released: the state at load.
void ResetSurrender();
