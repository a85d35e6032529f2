// Hands up, and the wanted level cut to 1.
#pragma once

#include <cstdint>

void SurrenderStep(std::int32_t character);
