// The gear selector and speed limiter.
#pragma once

#include "host/Natives.h"
#include "platform/EventTick.h"

#include <cstdint>

struct GearStateRecord {
  std::int32_t gear;
  EventTick gearChangeTime;  // the last shift or getting in
  bool gearUpLatch;
  bool gearDownLatch;
  std::uint64_t LimiterFieldOffset;  // 0: the field was not found and is never written
};
extern GearStateRecord GearState;

// Getting into a vehicle: the lowest gear whose limit holds the vehicle's
// speed (gear 1 standing still), and the banner shows anew. Straight from
// another wheel (`keepGear`) the gear is kept, raised only as far as the
// speed needs (the banner shows if it was). False, and the gears left alone
// this pass, when the speed is no finite number: a wrong answer neither
// brakes a car nor frees it.
bool GearEntryReset(Entity vehicle, bool keepGear);
// A binding held across getting in counts as a fresh press.
void ClearGearLatches();
// One pass of shifting, limiting and drawing for the vehicle driven; a
// `wheeled` one in the air keeps its velocity.
void GearStep(Entity vehicle, bool wheeled);

// Gear 1, latches clear, the field not found: the state at load.
void ResetGears();

// Finds the limiter field of the game's vehicle object, once at start-up.
void FindLimiterField();

// Stores `value`, clamped to 0..1, in the limiter field of the vehicle's object.
void WriteLimiterField(Entity vehicle, float value);
