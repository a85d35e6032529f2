#include "weapons/Reload.h"

void WeaponChangeStep(WeaponHash weapon) { PreviousWeapon = weapon; }
bool ClipStep(const WeaponFacts&) { return false; }
