#include "weapons/Safety.h"

void SafetyKeyStep(const WeaponFacts&) {}
void SafetyEnforceStep(const WeaponFacts&, bool) {}
