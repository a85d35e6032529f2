#include "weapons/AmmoCounter.h"

void HideAmmoCounterStep() {}
