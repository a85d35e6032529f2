#include "weapons/Reload.h"

#include "config/Config.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"
#include "host/Native.h"
#include "host/SharedNatives.h"
#include "input/Input.h"
#include "platform/Platform.h"
#include "weapons/Safety.h"

namespace {

constexpr NativeHash GetAmmoInClip = 0x2E1202248937775C;
constexpr NativeHash SetAmmoInClip = 0xDCD2A934D65CB497;
constexpr NativeHash GetTotalAmmo = 0x015A522136D7F951;
constexpr NativeHash SetTotalAmmo = 0x14E56BC5B5DB6A19;

constexpr std::int32_t ReloadControl = 45;
constexpr std::int32_t CoverControl = 22;
constexpr std::int32_t AmmoCounterComponent = 2;
constexpr std::uint32_t EmptyNoticeWindow = 600;

std::int32_t ReadClip(std::int32_t character, WeaponHash weapon) {
  std::int32_t count = 0;
  CallNative(GetAmmoInClip, character, weapon, &count);
  return count;
}

void SetClip(std::int32_t character, WeaponHash weapon, std::int32_t count) {
  CallNative(SetAmmoInClip, character, weapon, count);
}

// While a weapon is Empty its total ammunition is held at what was recorded.
void RestoreTotalAmmo(std::int32_t character, const WeaponFacts& facts) {
  if (facts.savedAmmo) CallNative(SetTotalAmmo, character, facts.weapon, *facts.savedAmmo);
}

void ShowEmptyNotice(std::uint32_t now) {
  if (now - EmptyNoticeTime < EmptyNoticeWindow) ShowStatusLine("~o~EMPTY  ~y~[R]");
}

// An Empty weapon in hand: the magazine held at 1, firing and the host's
// reload blocked, until the reload key empties it and has the host reload.
void HoldEmptyMagazine(std::int32_t character, const WeaponFacts& facts) {
  const WeaponHash weapon = facts.weapon;
  CallNative(shared_native::HideHudComponentThisFrame, AmmoCounterComponent);
  SetClip(character, weapon, 1);
  RestoreTotalAmmo(character, facts);
  BlockFiring();
  const bool trigger = IsKeyDown(fixed_key::LeftMouse);
  if (trigger && !TriggerLatch) {
    PlayClip(DryFireClip);
    EmptyNoticeTime = platform::TickCount();
  }
  ShowEmptyNotice(platform::TickCount());
  TriggerLatch = trigger;
  if (KeyFires(ReloadKeyLatch, Config.Reload)) {
    SetClip(character, weapon, 0);
    facts.savedClip.reset();
    facts.savedAmmo.reset();
    facts.clipEmpty = false;
    facts.reloadPending = true;
    CallNative(shared_native::SetControlValueNextFrame, 0, ReloadControl, 1.0F);
  }
}

}  // namespace

void WeaponChangeStep(std::int32_t character, const WeaponFacts& facts) {
  const WeaponHash weapon = facts.weapon;
  const WeaponHash previous = PreviousWeapon;
  if (previous != UnarmedHash && previous != 0) {
    const std::int32_t count = ReadClip(character, previous);
    if (!ClipEmpty[previous]) SavedClip[previous] = count;
  }
  if (weapon != UnarmedHash) {
    if (!facts.clipExempt && facts.clipEmpty) {
      SetClip(character, weapon, 1);
      RestoreTotalAmmo(character, facts);
      CallNative(shared_native::DisableControl, 0, ReloadControl, 1);
      CallNative(shared_native::DisableControl, 0, CoverControl, 1);
      EmptyNoticeTime = platform::TickCount();
    } else if (facts.savedClip) {
      SetClip(character, weapon, *facts.savedClip);
    }
  }
  ReloadKeyLatch = false;
  PreviousWeapon = weapon;
}

bool ClipStep(std::int32_t character, const WeaponFacts& facts) {
  const WeaponHash weapon = facts.weapon;
  if (weapon == UnarmedHash) {
    ReloadKeyLatch = false;
    return false;
  }
  const std::int32_t count = ReadClip(character, weapon);
  if (facts.clipExempt) {
    facts.reloadPending = false;
    facts.clipEmpty = false;
    ReloadKeyLatch = false;
    return false;
  }
  if (facts.reloadPending) {
    if (count >= 2) {
      facts.reloadPending = false;
      facts.clipEmpty = false;
    }
  } else if (facts.clipEmpty) {
    HoldEmptyMagazine(character, facts);
    return facts.clipEmpty;
  } else if (count == 1) {
    facts.clipEmpty = true;
    PlayClip(DryFireClip);
    EmptyNoticeTime = platform::TickCount();
  }
  facts.savedClip = count;
  facts.savedAmmo = CallNative<std::int32_t>(GetTotalAmmo, character, weapon);
  ReloadKeyLatch = false;
  return facts.clipEmpty;
}
