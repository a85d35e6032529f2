#include "onfoot/Surrender.h"

#include "config/Config.h"
#include "host/Natives.h"
#include "input/Input.h"

namespace {

struct SurrenderStateRecord {
  bool surrenderKeyLatch;
  bool surrendered;
};
constinit SurrenderStateRecord SurrenderState = {};

constexpr KeyCode CancelKeys[] = {fixed_key::W,          fixed_key::A,          fixed_key::S,
                                  fixed_key::D,          fixed_key::Tab,        fixed_key::LeftMouse,
                                  fixed_key::RightMouse, fixed_key::MiddleMouse};

void EndSurrender(Entity character) {
  natives::ClearTasks(character);
  SurrenderState.surrendered = false;
}

// A police chase stops at one star when the player gives up.
bool GiveUp(Entity character) {
  const std::int32_t wanted = natives::WantedLevel(natives::PlayerIndex());
  if (wanted <= 0) return false;
  if (wanted >= 2) {
    natives::SetWantedLevel(natives::PlayerIndex(), 1);
    natives::ApplyWantedLevelNow(natives::PlayerIndex());
  }
  natives::TaskHandsUp(character);
  SurrenderState.surrendered = true;
  return true;
}

bool CancelKeyDown() {
  for (KeyCode key : CancelKeys) {
    if (IsKeyDown(key)) return true;
  }
  return false;
}

}  // namespace

void SurrenderStep(Entity character) {
  const bool held = IsKeyDown(Config.Surrender);
  if (held && !SurrenderState.surrenderKeyLatch) {
    SurrenderState.surrenderKeyLatch = true;
    if (SurrenderState.surrendered) {
      EndSurrender(character);
      return;
    }
    if (!GiveUp(character)) return;
  } else {
    SurrenderState.surrenderKeyLatch = held;
    if (!SurrenderState.surrendered) return;
  }
  if (CancelKeyDown() || natives::EntityIsDead(character) || natives::IsInAnyVehicle(character)) {
    EndSurrender(character);
  }
}

void ResetSurrender() { SurrenderState = {}; }
