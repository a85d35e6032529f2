// The user's settings: key bindings, switches and the gear speed limits.
// Features read the fields directly on every pass.
#pragma once

#include "input/Input.h"

#include <array>

inline constexpr int GearCount = 5;
// Gears 1 to 4 carry a speed limit; the top gear has none.
inline constexpr int LimitedGearCount = GearCount - 1;

struct ConfigRecord {
  KeyCode SafetyToggle;
  KeyCode Reload;
  KeyCode Menu;
  KeyCode Engine;
  KeyCode Surrender;
  KeyCode GearUp;
  KeyCode GearDown;
  bool HideAmmoHud;
  bool GearSystem;
  // Speed limits in metres per second for gears 1 to 5; gear 5's 9999 means
  // no limit and is never loaded, saved or adjusted.
  std::array<float, GearCount> GearSpeeds;

  // Field by field; a NaN limit equals nothing, as floats compare.
  friend bool operator==(const ConfigRecord&, const ConfigRecord&) = default;
};

inline constexpr ConfigRecord DefaultConfig = {
    .SafetyToggle = 84,  // T
    .Reload = 82,        // R
    .Menu = 113,         // F2
    .Engine = 71,        // G
    .Surrender = 89,     // Y
    .GearUp = 51,        // 3
    .GearDown = 49,      // 1
    .HideAmmoHud = false,
    .GearSystem = true,
    .GearSpeeds = {9.72F, 18.06F, 26.39F, 34.72F, 9999.0F},
};

extern ConfigRecord Config;

// The limit of gear 1 to 5.
inline float& GearSpeed(int gear) { return Config.GearSpeeds[static_cast<std::size_t>(gear - 1)]; }
