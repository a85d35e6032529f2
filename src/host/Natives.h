// Every game native the plug-in calls, each hash written once, as a function
// with the native's real argument and result types: a call with a wrong
// argument count or type does not compile. The controls and HUD components
// the plug-in addresses are named here too.
#pragma once

#include "host/Native.h"

#include <cstdint>

using Entity = std::int32_t;  // a script handle: character or vehicle
using Player = std::int32_t;  // the player's index
using WeaponHash = std::uint32_t;

// Host controls, always addressed in control group 0.
enum class Control : std::int32_t {
  Sprint = 21,
  Jump = 22,  // a roll while aiming, which reloads; climbing
  Attack = 24,
  Reload = 45,
  VehicleAttack = 69,
  Accelerate = 71,
  LeaveVehicle = 75,
  VehiclePassengerAttack = 92,
  VehicleFlyAttack = 114,
  MeleeAttackLight = 140,
  MeleeAttackHeavy = 141,
  MeleeAttackAlternate = 142,
  Attack2 = 257,
  MeleeAttack1 = 263,
  MeleeAttack2 = 264,
};

enum class HudComponent : std::int32_t {
  WeaponIcon = 2,         // with the magazine count
  WeaponWheelStats = 20,  // the weapon wheel's stats panel
};

namespace natives {

namespace detail {
inline constexpr std::int32_t ControlGroup = 0;
inline std::int32_t Id(Control control) { return static_cast<std::int32_t>(control); }
}  // namespace detail

// ---- The player character and its weapon.

inline Entity PlayerCharacter() { return CallNative<Entity>(0xD80958FC74E988A6); }
inline Player PlayerIndex() { return CallNative<Player>(0x4F8644AF03D0E0D6); }
// Writes the hash of the weapon in hand into `weapon`, which is left alone
// when the host has nothing to write.
inline void GetCurrentWeapon(Entity character, WeaponHash* weapon) {
  CallNative(0x3A87E44BB9A01D54, character, weapon, 1);
}
inline bool EntityExists(Entity entity) { return CallNative<bool>(0x7239B21A38F536BA, entity); }
inline bool EntityIsDead(Entity entity) { return CallNative<bool>(0x5F9532F3B5CC2551, entity, false); }
// The model of a character or vehicle.
inline std::uint32_t EntityModel(Entity entity) {
  return static_cast<std::uint32_t>(CallNative<std::int32_t>(0x9F47B058362C84B5, entity));
}
inline bool IsInAnyVehicle(Entity character) { return CallNative<bool>(0x997ABD671D25CA0B, character, 0); }
inline Entity VehicleOfCharacter(Entity character) {
  return CallNative<Entity>(0x9A9112A0FE9A4713, character, 0);
}
inline constexpr std::int32_t DriverSeat = -1;
// Whether nobody sits in `seat` of `vehicle` (-1: the driver's seat).
inline bool IsSeatFree(Entity vehicle, std::int32_t seat) {
  return CallNative<bool>(0x22AC59A870E6A669, vehicle, seat, false);
}
// Who sits in `seat` of `vehicle`; 0 for nobody. Asked about an empty seat
// of a vehicle of the passing traffic, the game seats a stranger there: ask
// only about a seat IsSeatFree says is taken.
inline Entity CharacterInSeat(Entity vehicle, std::int32_t seat) {
  return CallNative<Entity>(0xBB40DD2270B65366, vehicle, seat, false);
}

// ---- Magazines and ammunition.

// Writes the magazine's count into `count`; false, and nothing written, when
// the character has no such weapon.
inline bool GetAmmoInClip(Entity character, WeaponHash weapon, std::int32_t* count) {
  return CallNative<bool>(0x2E1202248937775C, character, weapon, count);
}
// What a full magazine of the weapon holds.
inline std::int32_t MaxAmmoInClip(Entity character, WeaponHash weapon) {
  return CallNative<std::int32_t>(0xA38DCFFCEA8962FA, character, weapon, true);
}
inline void SetAmmoInClip(Entity character, WeaponHash weapon, std::int32_t count) {
  CallNative(0xDCD2A934D65CB497, character, weapon, count);
}
inline std::int32_t GetTotalAmmo(Entity character, WeaponHash weapon) {
  return CallNative<std::int32_t>(0x015A522136D7F951, character, weapon);
}
inline void SetTotalAmmo(Entity character, WeaponHash weapon, std::int32_t amount) {
  CallNative(0x14E56BC5B5DB6A19, character, weapon, amount, false);
}

// ---- Controls.

// The control does nothing this frame.
inline void DisableControl(Control control) {
  CallNative(0xFE99B66D079CF6BC, detail::ControlGroup, detail::Id(control), 1);
}
// The control's value (0 released, 1 fully pressed) for the next frame.
inline void SetControlValueNextFrame(Control control, float value) {
  CallNative(0xE8A25867FBA3B05E, detail::ControlGroup, detail::Id(control), value);
}
inline bool IsControlPressed(Control control) {
  return CallNative<bool>(0xF3A21BCD95725A4A, detail::ControlGroup, detail::Id(control));
}
inline bool IsControlJustPressed(Control control) {
  return CallNative<bool>(0x580417101DDB492F, detail::ControlGroup, detail::Id(control));
}
inline bool IsDisabledControlJustPressed(Control control) {
  return CallNative<bool>(0x91AEF906BCA88877, detail::ControlGroup, detail::Id(control));
}

// ---- Vehicles.

inline bool IsEngineRunning(Entity vehicle) { return CallNative<bool>(0xAE31E7DF9B5B132E, vehicle); }
inline void SetEngineOn(Entity vehicle, bool on, bool instantly, bool disableAutoStart) {
  CallNative(0x2497C4717C8B881E, vehicle, on, instantly, disableAutoStart);
}
inline void SetUndriveable(Entity vehicle, bool undriveable) {
  CallNative(0x8ABA6AF54B942B95, vehicle, undriveable);
}
// The game's class of the vehicle: 13 cycles, 14 boats, 15 helicopters, 16
// planes, 21 trains; road vehicles below 13 and from 17 to 20.
inline std::int32_t VehicleClass(Entity vehicle) {
  return CallNative<std::int32_t>(0x29439776AAA00A62, vehicle);
}
inline bool IsOnAllWheels(Entity vehicle) { return CallNative<bool>(0xB104CD1BABF302E2, vehicle); }
// 1000 for a perfect engine; 0 and below for one on fire or destroyed.
inline float EngineHealth(Entity vehicle) { return CallNative<float>(0xC45D23BAF168AAB8, vehicle); }
// Whether the game still lets the vehicle be driven (not wrecked, not drowned).
inline bool IsDriveable(Entity vehicle) { return CallNative<bool>(0x4C241E39B23DF959, vehicle, false); }
inline float VehicleSpeed(Entity vehicle) { return CallNative<float>(0xD5037BA82E12416F, vehicle); }
inline Vector3 VehicleVelocity(Entity vehicle) { return CallNative<Vector3>(0x4805D2B1D8CF94A9, vehicle); }
inline void SetVehicleVelocity(Entity vehicle, float x, float y, float z) {
  CallNative(0x1C99BB7B6E96D16F, vehicle, x, y, z);
}
// The task of getting out; `flags` 256 is a normal exit that leaves the door
// open.
inline void TaskLeaveVehicle(Entity character, Entity vehicle, std::int32_t flags) {
  CallNative(0xD3DBCE61A490BE02, character, vehicle, flags);
}

// ---- On foot.

inline std::int32_t WantedLevel(Player player) {
  return CallNative<std::int32_t>(0xE28E54788CE8F12D, player);
}
inline void SetWantedLevel(Player player, std::int32_t level) {
  CallNative(0x39FF19C64EF7DA5B, player, level, 0);
}
// Applies the wanted level set just before, at once.
inline void ApplyWantedLevelNow(Player player) { CallNative(0xE0A7D1E497FFCD6F, player, 0); }
// Hands up until the task is cleared.
inline void TaskHandsUp(Entity character) { CallNative(0xF2EAB31979A7F910, character, -1, 0, -1, 0); }
inline void ClearTasks(Entity character) { CallNative(0xE1EF3C1216AFF2CD, character); }
inline void SetMaxPaceThisFrame(Entity character, float pace) {
  CallNative(0x433083750C5E064A, character, pace);
}
inline void ResetActionMode(Entity character) { CallNative(0xD75ACCF5E0FB5367, character, 0, -1, "DEFAULT"); }

// ---- Screen and sound.

inline void HideHudComponentThisFrame(HudComponent component) {
  CallNative(0x6806C51AD12B83B8, static_cast<std::int32_t>(component));
}
// A filled rectangle this frame, by its centre and size.
inline void DrawRect(float x, float y, float width, float height, std::int32_t red, std::int32_t green,
                     std::int32_t blue, std::int32_t alpha) {
  CallNative(0x3A618A217E5154F0, x, y, width, height, red, green, blue, alpha, false);
}
inline void SetTextFont(std::int32_t font) { CallNative(0x66E0276CC5F6B9DA, font); }
inline void SetTextScale(float scaleX, float scaleY) { CallNative(0x07C837F9A01C34C9, scaleX, scaleY); }
inline void SetTextColour(std::int32_t red, std::int32_t green, std::int32_t blue, std::int32_t alpha) {
  CallNative(0xBE6B23FFA53FB442, red, green, blue, alpha);
}
inline void SetTextOutline() { CallNative(0x2513DFB0FB8400FE); }
inline void SetTextCentre(bool centred) { CallNative(0xC02F4DBFB51D988B, centred); }
inline void BeginTextCommandDisplayText(const char* kind) { CallNative(0x25FBB336DF1804CB, kind); }
// Adds text to the open text command or notification.
inline void AddTextComponentString(const char* text) { CallNative(0x6C188BE134E074AA, text); }
inline void EndTextCommandDisplayText(float x, float y) { CallNative(0xCD015E5BB0D96A57, x, y, 0); }
inline void BeginTextCommandNotification(const char* kind) { CallNative(0x202709F4C58A0424, kind); }
inline std::int32_t EndTextCommandPostNotification() {
  return CallNative<std::int32_t>(0x2ED7843F8F801023, 0, 0);
}
inline void PlaySoundFrontend(const char* name, const char* soundSet) {
  CallNative(0x67C540AA08E4A6F5, -1, name, soundSet, 1);
}

}  // namespace natives
