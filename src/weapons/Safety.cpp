#include "weapons/Safety.h"

#include "config/Config.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"
#include "platform/Platform.h"

namespace {

constexpr std::int32_t FireControlList[] = {24, 69, 92, 114, 140, 141, 142, 257, 263, 264, 45, 22};

constexpr std::uint32_t SafetyOnWindow = 600;
constexpr std::uint32_t SafetyOffWindow = 800;

bool CarriesNoSafety(const WeaponFacts& facts) { return facts.weapon == UnarmedHash || facts.safetyExempt; }

}  // namespace

void BlockFiring() {
  for (std::int32_t control : FireControlList) CallNative(shared_native::DisableControl, 0, control, 1);
}

void SafetyKeyStep(const WeaponFacts& facts) {
  if (!KeyFires(SafetyKeyLatch, Config.SafetyToggle)) return;
  if (CarriesNoSafety(facts)) {
    facts.safetyOn = false;
    return;
  }
  facts.safetyOn = !facts.safetyOn;
  PlayClip(SafetySwitchClip);
  (facts.safetyOn ? SafetyOnTime : SafetyOffTime) = platform::TickCount();
}

void SafetyEnforceStep(const WeaponFacts& facts, bool emptyNow) {
  if (!CarriesNoSafety(facts) && facts.safetyOn && !emptyNow) {
    BlockFiring();
    if (KeyFires(TriggerLatch, fixed_key::LeftMouse)) {
      PlayClip(DryFireClip);
      SafetyOnTime = platform::TickCount();
    }
    if (platform::TickCount() - SafetyOnTime < SafetyOnWindow) ShowStatusLine("~r~SAFETY ON  ~y~");
  } else if (!emptyNow) {
    TriggerLatch = false;
    if (!facts.safetyExempt && !facts.safetyOn && platform::TickCount() - SafetyOffTime < SafetyOffWindow) {
      ShowStatusLine("~g~SAFETY OFF  ~y~");
    }
  }
  if (CarriesNoSafety(facts)) facts.safetyOn = false;
}
