#include "vehicle/Vehicle.h"

void VehicleStep(std::int32_t) {}
