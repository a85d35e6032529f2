// Key codes, the gamepad snapshot of the pass, the key-down test and the
// edge latch.
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// 1..255: Windows virtual keys; 256..271: buttons and triggers of pad 0;
// anything else is never down.
using KeyCode = std::int32_t;

namespace pad_code {
inline constexpr KeyCode A = 256;
inline constexpr KeyCode B = 257;
inline constexpr KeyCode X = 258;
inline constexpr KeyCode Y = 259;
inline constexpr KeyCode LeftShoulder = 260;
inline constexpr KeyCode RightShoulder = 261;
inline constexpr KeyCode Back = 262;
inline constexpr KeyCode Start = 263;
inline constexpr KeyCode LeftStick = 264;
inline constexpr KeyCode RightStick = 265;
inline constexpr KeyCode DpadUp = 266;
inline constexpr KeyCode DpadDown = 267;
inline constexpr KeyCode DpadLeft = 268;
inline constexpr KeyCode DpadRight = 269;
inline constexpr KeyCode LeftTrigger = 270;
inline constexpr KeyCode RightTrigger = 271;
inline constexpr KeyCode First = A;
inline constexpr KeyCode Last = RightTrigger;
}  // namespace pad_code

// wButtons bits.
namespace pad_bit {
inline constexpr std::uint16_t DpadUp = 0x0001;
inline constexpr std::uint16_t DpadDown = 0x0002;
inline constexpr std::uint16_t DpadLeft = 0x0004;
inline constexpr std::uint16_t DpadRight = 0x0008;
inline constexpr std::uint16_t Start = 0x0010;
inline constexpr std::uint16_t Back = 0x0020;
inline constexpr std::uint16_t LeftStick = 0x0040;
inline constexpr std::uint16_t RightStick = 0x0080;
inline constexpr std::uint16_t LeftShoulder = 0x0100;
inline constexpr std::uint16_t RightShoulder = 0x0200;
inline constexpr std::uint16_t A = 0x1000;
inline constexpr std::uint16_t B = 0x2000;
inline constexpr std::uint16_t X = 0x4000;
inline constexpr std::uint16_t Y = 0x8000;
}  // namespace pad_bit

// A trigger reads as down above this value.
inline constexpr std::uint8_t TriggerThreshold = 30;

// Virtual keys some features test directly, whatever the bindings say.
namespace fixed_key {
inline constexpr KeyCode LeftMouse = 0x01;
inline constexpr KeyCode RightMouse = 0x02;
inline constexpr KeyCode MiddleMouse = 0x04;
inline constexpr KeyCode Backspace = 0x08;
inline constexpr KeyCode Tab = 0x09;
inline constexpr KeyCode Enter = 0x0D;
inline constexpr KeyCode Control = 0x11;
inline constexpr KeyCode Left = 0x25;
inline constexpr KeyCode Up = 0x26;
inline constexpr KeyCode Right = 0x27;
inline constexpr KeyCode Down = 0x28;
inline constexpr KeyCode A = 0x41;
inline constexpr KeyCode D = 0x44;
inline constexpr KeyCode S = 0x53;
inline constexpr KeyCode W = 0x57;
}  // namespace fixed_key

struct PadStateRecord {
  platform::PadSample state;
  bool connected;
};
extern PadStateRecord PadState;

// Polls pad 0 once; every pad code this pass reads this snapshot.
void SamplePad();
// No pad sampled yet.
void ResetPad();

bool IsKeyDown(KeyCode code);

// Edge latch: true on a pass where `down` holds and the latch was clear; the
// latch then takes `down`, whether or not it fired.
inline bool LatchFires(bool& latch, bool down) {
  const bool fires = down && !latch;
  latch = down;
  return fires;
}

inline bool KeyFires(bool& latch, KeyCode code) { return LatchFires(latch, IsKeyDown(code)); }
