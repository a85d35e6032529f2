// The per-weapon safety catch.
#pragma once

#include "weapons/WeaponTables.h"

void SafetyKeyStep(const WeaponFacts& facts);
void SafetyEnforceStep(const WeaponFacts& facts, bool emptyNow);
