#include "input/Input.h"

#include <array>

constinit PadStateRecord PadState = {};

void SamplePad() { PadState.connected = platform::ReadPad(PadState.state) == 0; }

void ResetPad() { PadState = {}; }

namespace {

// Button bit of each pad code below the triggers, in code order.
constexpr std::array<std::uint16_t, 14> PadButtonBits = {
    pad_bit::A,
    pad_bit::B,
    pad_bit::X,
    pad_bit::Y,
    pad_bit::LeftShoulder,
    pad_bit::RightShoulder,
    pad_bit::Back,
    pad_bit::Start,
    pad_bit::LeftStick,
    pad_bit::RightStick,
    pad_bit::DpadUp,
    pad_bit::DpadDown,
    pad_bit::DpadLeft,
    pad_bit::DpadRight,
};

bool IsPadCodeDown(KeyCode code) {
  const platform::PadButtons& pad = PadState.state.Gamepad;
  if (code == pad_code::LeftTrigger) return pad.bLeftTrigger > TriggerThreshold;
  if (code == pad_code::RightTrigger) return pad.bRightTrigger > TriggerThreshold;
  return (pad.wButtons & PadButtonBits[static_cast<std::size_t>(code - pad_code::First)]) != 0;
}

}  // namespace

bool IsKeyDown(KeyCode code) {
  if (code <= 0) return false;
  if (code < pad_code::First) {
    return (static_cast<std::uint16_t>(platform::AsyncKeyState(code)) & 0x8000U) != 0;
  }
  return PadState.connected && code <= pad_code::Last && IsPadCodeDown(code);
}
