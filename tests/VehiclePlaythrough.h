// What the vehicle playthroughs share: the keys, the limiter field, and a
// fixture whose game image holds the limiter store.
#pragma once

#include "Playthrough.h"
#include "feedback/Sound.h"
#include "platform/ImageScan.h"
#include "vehicle/Gear.h"
#include "vehicle/GearDisplay.h"

#include <gmock/gmock.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using sim::native::SetEngine;
using sim::native::SetUndriveable;
constexpr KeyCode EngineKey = 'G';
constexpr KeyCode GearUpKey = '3';
constexpr KeyCode GearDownKey = '1';
constexpr std::uint32_t LimiterOffset = 0x8CC;

inline std::uint64_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// The engine and drivability calls of the last frame, as (hash, args).
inline std::vector<std::pair<NativeHash, std::vector<std::uint64_t>>> EngineCalls(const sim::Host& host) {
  std::vector<std::pair<NativeHash, std::vector<std::uint64_t>>> calls;
  for (const auto& call : host.frameCalls) {
    if (call.hash == SetEngine || call.hash == SetUndriveable) calls.emplace_back(call.hash, call.args);
  }
  return calls;
}

class VehicleTest : public Playthrough {
 protected:
  // The game image the plug-in searches at start-up holds the limiter
  // store once, with its field offset.
  void SetUp() override {
    host.environment.mainImage = GameImage({LimiterOffset});
    Playthrough::SetUp();
  }
  std::int32_t GetIn(bool engineRunning) {
    const std::int32_t vehicle = host.game.SpawnVehicle(engineRunning);
    host.game.Enter(vehicle);
    return vehicle;
  }
  float LimiterField(std::int32_t vehicle) {
    float value;
    std::memcpy(&value, host.game.Vehicle(vehicle).memory.data() + LimiterOffset, sizeof value);
    return value;
  }
  // The gear the indicator shows selected this frame, 0 when none is drawn.
  int ShownGear() const {
    for (const sim::DrawnText& text : host.game.texts) {
      if (text.style.font == 4 && text.style.scaleX == 0.5F) return std::stoi(text.text);
    }
    return 0;
  }
  std::string Banner() const {
    for (const sim::DrawnText& text : host.game.texts) {
      if (text.y == 0.915F) return text.text;
    }
    return "";
  }
  bool AcceleratorDisabled() const {
    const auto& disabled = host.game.disabledControls;
    return std::find(disabled.begin(), disabled.end(), 71) != disabled.end();
  }
};
