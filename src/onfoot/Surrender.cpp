#include "onfoot/Surrender.h"

void SurrenderStep(std::int32_t) {}
