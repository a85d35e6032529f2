#include "onfoot/Surrender.h"

#include "config/Config.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"

constinit SurrenderStateRecord SurrenderState = {};

namespace {

constexpr NativeHash PlayerIndex = 0x4F8644AF03D0E0D6;
constexpr NativeHash WantedLevel = 0xE28E54788CE8F12D;
constexpr NativeHash SetWantedLevel = 0x39FF19C64EF7DA5B;
constexpr NativeHash ApplyWantedLevelNow = 0xE0A7D1E497FFCD6F;
constexpr NativeHash TaskHandsUp = 0xF2EAB31979A7F910;
constexpr NativeHash ClearTasks = 0xE1EF3C1216AFF2CD;

constexpr KeyCode CancelKeys[] = {fixed_key::W,          fixed_key::A,          fixed_key::S,
                                  fixed_key::D,          fixed_key::Tab,        fixed_key::LeftMouse,
                                  fixed_key::RightMouse, fixed_key::MiddleMouse};

void EndSurrender(std::int32_t character) {
  CallNative(ClearTasks, character);
  SurrenderState.surrendered = false;
}

// A police chase stops at one star when the player gives up.
bool GiveUp(std::int32_t character) {
  const std::int32_t wanted = CallNative<std::int32_t>(WantedLevel, CallNative<std::int32_t>(PlayerIndex));
  if (wanted <= 0) return false;
  if (wanted >= 2) {
    CallNative(SetWantedLevel, CallNative<std::int32_t>(PlayerIndex), 1, 0);
    CallNative(ApplyWantedLevelNow, CallNative<std::int32_t>(PlayerIndex), 0);
  }
  CallNative(TaskHandsUp, character, -1, 0, -1, 0);
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

void SurrenderStep(std::int32_t character) {
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
  if (CancelKeyDown() || CallNative<bool>(shared_native::EntityIsDead, character) ||
      CallNative<bool>(shared_native::IsInAnyVehicle, character, 0)) {
    EndSurrender(character);
  }
}
