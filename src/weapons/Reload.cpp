#include "weapons/Reload.h"

#include "config/Config.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"
#include "host/Natives.h"
#include "input/Input.h"
#include "platform/EventTick.h"
#include "weapons/Safety.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr std::uint32_t EmptyNoticeWindow = 600;

struct ReloadStateRecord {
  EventTick emptyNoticeTime;  // the last empty-magazine event
  bool reloadKeyLatch;
  WeaponHash lastAsked;  // the weapon LostWeaponStep asked about last
  Entity character;      // the character handle whose model was read last
  std::uint32_t model;   // that character's model; 0 before the first
};
constinit ReloadStateRecord ReloadState = {};

// What a read of the weapon's magazine gives: the count; NotOwned when the
// game answers that it read none, as the character no longer has the
// weapon; NoCount for a read the game calls good that left no count (a
// negative number, or nothing written): neither remembered nor acted on.
constexpr std::int32_t NotOwned = -1;
constexpr std::int32_t NoCount = -2;
std::int32_t ReadClip(Entity character, WeaponHash weapon) {
  std::int32_t count = NoCount;
  if (!natives::GetAmmoInClip(character, weapon, &count)) return NotOwned;
  return count < 0 ? NoCount : count;
}

// The weapon's total ammunition, or nothing for a negative answer.
std::optional<std::int32_t> ReadTotalAmmo(Entity character, WeaponHash weapon) {
  const std::int32_t total = natives::GetTotalAmmo(character, weapon);
  if (total < 0) return std::nullopt;
  return total;
}

// A weapon the character no longer has (taken by a script, an arrest, the
// game): what was kept of its magazine, total and hold goes with it, so that
// one bought again comes out as the game hands it over.
void ForgetMagazine(WeaponRecord& record) {
  record.savedClip.reset();
  record.savedAmmo.reset();
  record.seenAmmo.reset();
  record.clipEmpty = false;
  record.reloadPending = false;
  record.lost = true;
  record.sized = false;  // asked again of the one got again
}

// While a weapon is Empty its total ammunition is held: what it gains
// meanwhile is taken back. Only what the game answered on two passes
// running counts: the total held is one it answered twice, and follows a
// total that falls the same way; a gain is taken back only when the pass
// before answered no fall. So one wrong answer (a read that fails, nothing,
// a million) neither gives the player rounds nor takes the reserve, and a
// total is never raised above what the game answers. `seenAmmo` is the
// answer of the pass before, cleared on every pass of the weapon that does
// not read it.
void HoldTotalAmmo(Entity character, WeaponHash weapon, WeaponRecord& record) {
  const std::optional<std::int32_t> before = std::exchange(record.seenAmmo, std::nullopt);
  const std::optional<std::int32_t> total = ReadTotalAmmo(character, weapon);
  record.seenAmmo = total;
  if (!total) return;
  if (!record.savedAmmo || *total < *record.savedAmmo) {
    if (total == before) record.savedAmmo = total;
  } else if (*total > *record.savedAmmo && before && *before >= *record.savedAmmo) {
    natives::SetTotalAmmo(character, weapon, *record.savedAmmo);
  }
}

void ShowEmptyNotice(PassMilliseconds now) {
  if (WithinWindow(ReloadState.emptyNoticeTime, now, EmptyNoticeWindow)) ShowStatusLine("~o~EMPTY  ~y~[R]");
}

// An Empty weapon in hand: the magazine held at 1, firing and the host's
// reload blocked, until the reload key empties it and has the host reload.
// A last cartridge that went all the same (`count` 0) is not put back.
void HoldEmptyMagazine(Entity character, WeaponHash weapon, WeaponRecord& record, std::int32_t count) {
  natives::HideHudComponentThisFrame(HudComponent::WeaponIcon);
  if (count >= 1) {
    natives::SetAmmoInClip(character, weapon, 1);
    HoldTotalAmmo(character, weapon, record);
  } else {
    record.seenAmmo.reset();
  }
  BlockFiring();
  const bool trigger = IsKeyDown(fixed_key::LeftMouse);
  if (trigger && !TriggerLatch) {
    PlayClip(DryFireClip);
    ReloadState.emptyNoticeTime = PassTime();
  }
  ShowEmptyNotice(PassTime());
  TriggerLatch = trigger;
  if (KeyFires(ReloadState.reloadKeyLatch, Config.Reload)) {
    natives::SetAmmoInClip(character, weapon, 0);
    record.savedClip.reset();
    record.savedAmmo.reset();
    record.seenAmmo.reset();
    record.clipEmpty = false;
    record.reloadPending = true;
    natives::SetControlValueNextFrame(Control::Reload, 1.0F);
  }
}

}  // namespace

namespace {

// The answer of a read that only refines the records, or `fallback` when the
// host fails it: the pass goes on without it, gears and menu included.
template <typename Read>
auto ReadOr(Read read, decltype(read()) fallback) noexcept {
  try {
    return read();
  } catch (...) {
    return fallback;
  }
}

}  // namespace

bool CharacterKnown(Entity character) { return character == ReloadState.character; }

void CharacterChangeStep(Entity character) {
  if (CharacterKnown(character)) return;
  // A new handle: the same character respawned or loaded, or another one.
  // Unless the game names the same model as before, nothing remembered of
  // the last one's magazines is his: forgetting takes no round from anyone,
  // handing him another's hold or total would.
  const std::uint32_t model = ReadOr([character] { return natives::EntityModel(character); }, 0U);
  if (model == 0 || model != ReloadState.model) ForgetEveryMagazine();
  ReloadState.character = character;
  if (model != 0) ReloadState.model = model;
}

void MagazineSizeStep(Entity character, WeaponHash weapon, WeaponRecord& record) {
  if (record.sized || weapon == UnarmedHash) return;
  const std::int32_t size = ReadOr([&] { return natives::MaxAmmoInClip(character, weapon); }, 0);
  record.oneCartridge = !record.clipExempt && size == 1;
  // No size is no answer (a weapon the character has not, a failed read):
  // tracked as any weapon meanwhile, and asked again.
  record.sized = size > 0;
}

void WeaponChangeStep(Entity character, WeaponHash weapon, WeaponRecord& record) {
  const WeaponHash previous = PreviousWeapon;
  // A weapon put away that the table had no room for leaves nothing to keep.
  WeaponRecord* put = previous != UnarmedHash && previous != 0 ? FindWeaponRecord(previous) : nullptr;
  if (put != nullptr) {
    const std::int32_t count = ReadClip(character, previous);
    put->seenAmmo.reset();  // its next total is read passes from now
    if (count >= 0) {
      if (!put->clipEmpty) put->savedClip = count;
      put->lost = false;
    } else if (count == NotOwned) {
      ForgetMagazine(*put);
    }
  }
  if (weapon != UnarmedHash) {
    if (MagazineTracked(record) && record.clipEmpty) {
      natives::DisableControl(Control::Reload);
      natives::DisableControl(Control::Jump);  // a roll would reload
      ReloadState.emptyNoticeTime = PassTime();
      // Held at its last cartridge: a last cartridge that went all the same
      // is not put back. Its total is held by the clip step of this pass:
      // one read a pass, so that two reads of one pass never confirm a total.
      if (ReadClip(character, weapon) >= 1) natives::SetAmmoInClip(character, weapon, 1);
    } else if (record.savedClip) {
      // Never more in the magazine than the weapon holds now: it may have
      // been fired since it was put away, while the menu was open.
      if (const std::optional<std::int32_t> total = ReadTotalAmmo(character, weapon))
        natives::SetAmmoInClip(character, weapon, std::min(*record.savedClip, *total));
    }
  }
  ReloadState.reloadKeyLatch = false;
  PreviousWeapon = weapon;
}

namespace {

// A magazine in hand whose count could not be read; returns whether it
// counts as empty this pass.
[[gnu::cold]] bool ClipNotRead(std::int32_t read, WeaponRecord& record, bool keysRest) {
  if (read == NotOwned) {
    // Reported in hand but not the character's: nothing to track or record.
    ForgetMagazine(record);
    ReloadState.reloadKeyLatch = false;
    return false;
  }
  // A count that is no count: nothing learnt. The records stay as they
  // were (but for the total seen, which no longer is the last pass's), and
  // a magazine held at its last cartridge stays blocked.
  record.seenAmmo.reset();
  if (MagazineTracked(record) && record.clipEmpty && !keysRest) BlockFiring();
  return MagazineTracked(record) && record.clipEmpty;
}

// Tracks the magazine in hand and keeps its record; returns whether it counts
// as empty this pass. While the player's keys rest (the menu is open) a
// magazine reaching its last cartridge is still held there, but quietly:
// no click, no notice, no reload key; the caller blocks its firing. Inlined
// into both steps, so that a pass costs little beyond its host calls.
[[gnu::always_inline]] inline bool TrackClip(Entity character, WeaponHash weapon, WeaponRecord& record,
                                             bool keysRest) {
  if (weapon == UnarmedHash) {
    ReloadState.reloadKeyLatch = false;
    return false;
  }
  const std::int32_t count = ReadClip(character, weapon);
  if (count < 0) return ClipNotRead(count, record, keysRest);
  if (!MagazineTracked(record)) {
    record.reloadPending = false;
    record.clipEmpty = false;
    ReloadState.reloadKeyLatch = false;
    return false;
  }
  // The reload key emptied the magazine; once the game has filled it with
  // what it could (its size, or what the reserve allowed: one cartridge
  // too), the weapon is tracked as before, on this very pass.
  if (record.reloadPending && count >= 1) {
    record.reloadPending = false;
    record.clipEmpty = false;
  }
  if (record.reloadPending) {
    // Still reloading.
  } else if (record.clipEmpty) {
    if (keysRest) {
      record.seenAmmo.reset();
    } else {
      HoldEmptyMagazine(character, weapon, record, count);
    }
    return record.clipEmpty;
  } else if (count == 1) {
    record.clipEmpty = true;
    if (!keysRest) {
      PlayClip(DryFireClip);
      // A pull held on from here has had its click.
      TriggerLatch = IsKeyDown(fixed_key::LeftMouse);
      ReloadState.emptyNoticeTime = PassTime();
      // The game would otherwise fire the last cartridge on this very frame.
      BlockFiring();
    }
  }
  record.savedClip = count;
  // The total of this pass, which the hold's first read confirms: only a
  // total the game answered twice running is ever held.
  record.seenAmmo = ReadTotalAmmo(character, weapon);
  ReloadState.reloadKeyLatch = false;
  return record.clipEmpty;
}

}  // namespace

bool ClipStep(Entity character, WeaponHash weapon, WeaponRecord& record) {
  return TrackClip(character, weapon, record, false);
}

void ClipWatchStep(Entity character, WeaponHash weapon, WeaponRecord& record) {
  TrackClip(character, weapon, record, true);
}

void LostWeaponStep(Entity character, WeaponHash weapon) {
  // The weapon in hand always has a record: with no other, there is nothing
  // to ask about.
  if (RecordCount() < 2) return;
  const WeaponEntry next = RecordAfter(ReloadState.lastAsked);
  ReloadState.lastAsked = next.weapon;
  if (next.record == nullptr || next.weapon == weapon || next.weapon == UnarmedHash) return;
  WeaponRecord& record = *next.record;
  const bool remembered = record.savedClip || record.savedAmmo || record.clipEmpty || record.reloadPending;
  if (remembered && ReadClip(character, next.weapon) == NotOwned) ForgetMagazine(record);
}

void ResetReload() { ReloadState = {}; }
