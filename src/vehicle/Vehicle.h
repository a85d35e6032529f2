// The in-vehicle and on-foot block of the pass.
#pragma once

#include <cstdint>

void VehicleStep(std::int32_t character);
