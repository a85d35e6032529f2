// The game natives the substitute host answers, by name, for the game model,
// the tests, the benchmarks and the fuzz targets. Written apart from the
// plug-in's own catalogue: a hash mistyped on either side shows as an
// unknown native, and the test that meets it fails.
#pragma once

#include <cstdint>

using NativeHash = std::uint64_t;

namespace sim::native {
inline constexpr NativeHash SetTextFont = 0x66E0276CC5F6B9DA;
inline constexpr NativeHash SetTextScale = 0x07C837F9A01C34C9;
inline constexpr NativeHash SetTextColour = 0xBE6B23FFA53FB442;
inline constexpr NativeHash SetTextOutline = 0x2513DFB0FB8400FE;
inline constexpr NativeHash SetTextCentre = 0xC02F4DBFB51D988B;
inline constexpr NativeHash BeginTextCommand = 0x25FBB336DF1804CB;
inline constexpr NativeHash AddText = 0x6C188BE134E074AA;
inline constexpr NativeHash DrawText = 0xCD015E5BB0D96A57;
inline constexpr NativeHash BeginNotification = 0x202709F4C58A0424;
inline constexpr NativeHash PostNotification = 0x2ED7843F8F801023;
inline constexpr NativeHash DrawRectangle = 0x3A618A217E5154F0;
inline constexpr NativeHash PlayFrontendSound = 0x67C540AA08E4A6F5;
inline constexpr NativeHash DisableControl = 0xFE99B66D079CF6BC;
inline constexpr NativeHash SetControlValueNextFrame = 0xE8A25867FBA3B05E;
inline constexpr NativeHash GetAmmoInClip = 0x2E1202248937775C;
inline constexpr NativeHash SetAmmoInClip = 0xDCD2A934D65CB497;
inline constexpr NativeHash GetTotalAmmo = 0x015A522136D7F951;
inline constexpr NativeHash SetTotalAmmo = 0x14E56BC5B5DB6A19;
inline constexpr NativeHash HideHudComponentThisFrame = 0x6806C51AD12B83B8;
inline constexpr NativeHash PlayerCharacter = 0xD80958FC74E988A6;
inline constexpr NativeHash CurrentWeapon = 0x3A87E44BB9A01D54;
inline constexpr NativeHash EntityExists = 0x7239B21A38F536BA;
inline constexpr NativeHash EntityIsDead = 0x5F9532F3B5CC2551;
inline constexpr NativeHash IsInAnyVehicle = 0x997ABD671D25CA0B;
inline constexpr NativeHash VehicleOfCharacter = 0x9A9112A0FE9A4713;
inline constexpr NativeHash CharacterInSeat = 0xBB40DD2270B65366;
inline constexpr NativeHash IsSeatFree = 0x22AC59A870E6A669;
inline constexpr NativeHash EntityModel = 0x9F47B058362C84B5;
inline constexpr NativeHash MaxAmmoInClip = 0xA38DCFFCEA8962FA;
inline constexpr NativeHash VehicleClass = 0x29439776AAA00A62;
inline constexpr NativeHash IsOnAllWheels = 0xB104CD1BABF302E2;
inline constexpr NativeHash EngineHealth = 0xC45D23BAF168AAB8;
inline constexpr NativeHash IsDriveable = 0x4C241E39B23DF959;
inline constexpr NativeHash EngineRunning = 0xAE31E7DF9B5B132E;
inline constexpr NativeHash SetEngine = 0x2497C4717C8B881E;
inline constexpr NativeHash SetUndriveable = 0x8ABA6AF54B942B95;
inline constexpr NativeHash ControlJustPressed = 0x580417101DDB492F;
inline constexpr NativeHash DisabledControlJustPressed = 0x91AEF906BCA88877;
inline constexpr NativeHash TaskLeaveVehicle = 0xD3DBCE61A490BE02;
inline constexpr NativeHash VehicleSpeed = 0xD5037BA82E12416F;
inline constexpr NativeHash VehicleVelocity = 0x4805D2B1D8CF94A9;
inline constexpr NativeHash SetVehicleVelocity = 0x1C99BB7B6E96D16F;
inline constexpr NativeHash PlayerIndex = 0x4F8644AF03D0E0D6;
inline constexpr NativeHash WantedLevel = 0xE28E54788CE8F12D;
inline constexpr NativeHash SetWantedLevel = 0x39FF19C64EF7DA5B;
inline constexpr NativeHash ApplyWantedLevel = 0xE0A7D1E497FFCD6F;
inline constexpr NativeHash TaskHandsUp = 0xF2EAB31979A7F910;
inline constexpr NativeHash ClearTasks = 0xE1EF3C1216AFF2CD;
inline constexpr NativeHash ControlPressed = 0xF3A21BCD95725A4A;
inline constexpr NativeHash SetMaxPaceThisFrame = 0x433083750C5E064A;
inline constexpr NativeHash SetActionMode = 0xD75ACCF5E0FB5367;
}  // namespace sim::native
