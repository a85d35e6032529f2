// Hands up, with the wanted level cut to 1, until a movement key, a mouse
// button, the binding again, death or a vehicle ends it.
#pragma once

#include <cstdint>

struct SurrenderStateRecord {
  bool surrenderKeyLatch;
  bool surrendered;
};
extern SurrenderStateRecord SurrenderState;

void SurrenderStep(std::int32_t character);
