#include "DocumentedNatives.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace sim {

namespace {

// Each signature as the game's public natives reference gives it (one page a
// native, found by its hash; the source names the page). Where the native
// database the reference is checked against lists a parameter more than the
// page's own C line (IS_ENTITY_DEAD, SET_PED_AMMO, DRAW_RECT,
// END_TEXT_COMMAND_DISPLAY_TEXT), the table has it: the game reads that slot.
constexpr std::array Table = {
    // The player, the character and its vehicle.
    DocumentedNative{0xD80958FC74E988A6, "Ped PLAYER_PED_ID()", "PLAYER/PlayerPedId"},
    DocumentedNative{0x4F8644AF03D0E0D6, "Player PLAYER_ID()", "PLAYER/PlayerId"},
    DocumentedNative{0x3A87E44BB9A01D54, "BOOL GET_CURRENT_PED_WEAPON(Ped ped, Hash* weaponHash, BOOL p2)",
                     "WEAPON/GetCurrentPedWeapon"},
    DocumentedNative{0x7239B21A38F536BA, "BOOL DOES_ENTITY_EXIST(Entity entity)", "ENTITY/DoesEntityExist"},
    DocumentedNative{0x5F9532F3B5CC2551, "BOOL IS_ENTITY_DEAD(Entity entity, BOOL p1)",
                     "ENTITY/IsEntityDead"},
    DocumentedNative{0x9F47B058362C84B5, "Hash GET_ENTITY_MODEL(Entity entity)", "ENTITY/GetEntityModel"},
    DocumentedNative{0x997ABD671D25CA0B, "BOOL IS_PED_IN_ANY_VEHICLE(Ped ped, BOOL atGetIn)",
                     "PED/IsPedInAnyVehicle"},
    DocumentedNative{0x9A9112A0FE9A4713, "Vehicle GET_VEHICLE_PED_IS_IN(Ped ped, BOOL includeLastVehicle)",
                     "PED/GetVehiclePedIsIn"},
    // Creates a random occupant in an empty seat of an ambient vehicle.
    DocumentedNative{0xBB40DD2270B65366,
                     "Ped GET_PED_IN_VEHICLE_SEAT(Vehicle vehicle, int seatIndex, BOOL p2)",
                     "VEHICLE/GetPedInVehicleSeat"},
    DocumentedNative{0x22AC59A870E6A669,
                     "BOOL IS_VEHICLE_SEAT_FREE(Vehicle vehicle, int seatIndex, BOOL isTaskRunning)",
                     "VEHICLE/IsVehicleSeatFree"},
    // Magazines and ammunition.
    DocumentedNative{0x2E1202248937775C, "BOOL GET_AMMO_IN_CLIP(Ped ped, Hash weaponHash, int* ammo)",
                     "WEAPON/GetAmmoInClip"},
    DocumentedNative{0xDCD2A934D65CB497, "BOOL SET_AMMO_IN_CLIP(Ped ped, Hash weaponHash, int ammo)",
                     "WEAPON/SetAmmoInClip"},
    DocumentedNative{0xA38DCFFCEA8962FA, "int GET_MAX_AMMO_IN_CLIP(Ped ped, Hash weaponHash, BOOL p2)",
                     "WEAPON/GetMaxAmmoInClip"},
    DocumentedNative{0x015A522136D7F951, "int GET_AMMO_IN_PED_WEAPON(Ped ped, Hash weaponhash)",
                     "WEAPON/GetAmmoInPedWeapon"},
    DocumentedNative{0x14E56BC5B5DB6A19, "void SET_PED_AMMO(Ped ped, Hash weaponHash, int ammo, BOOL p3)",
                     "WEAPON/SetPedAmmo"},
    // Controls.
    DocumentedNative{0xFE99B66D079CF6BC,
                     "void DISABLE_CONTROL_ACTION(int control, int action, BOOL disableRelatedActions)",
                     "PAD/DisableControlAction"},
    DocumentedNative{0xE8A25867FBA3B05E,
                     "BOOL SET_CONTROL_VALUE_NEXT_FRAME(int control, int action, float value)",
                     "PAD/SetControlValueNextFrame"},
    DocumentedNative{0xF3A21BCD95725A4A, "BOOL IS_CONTROL_PRESSED(int control, int control)",
                     "PAD/IsControlPressed"},
    DocumentedNative{0x580417101DDB492F, "BOOL IS_CONTROL_JUST_PRESSED(int control, int control)",
                     "PAD/IsControlJustPressed"},
    DocumentedNative{0x91AEF906BCA88877, "BOOL IS_DISABLED_CONTROL_JUST_PRESSED(int control, int control)",
                     "PAD/IsDisabledControlJustPressed"},
    // Vehicles.
    DocumentedNative{0xAE31E7DF9B5B132E, "BOOL GET_IS_VEHICLE_ENGINE_RUNNING(Vehicle vehicle)",
                     "VEHICLE/GetIsVehicleEngineRunning"},
    DocumentedNative{
        0x2497C4717C8B881E,
        "void SET_VEHICLE_ENGINE_ON(Vehicle vehicle, BOOL value, BOOL instantly, BOOL disableAutoStart)",
        "VEHICLE/SetVehicleEngineOn"},
    DocumentedNative{0x8ABA6AF54B942B95, "void SET_VEHICLE_UNDRIVEABLE(Vehicle vehicle, BOOL toggle)",
                     "VEHICLE/SetVehicleUndriveable"},
    DocumentedNative{0xC45D23BAF168AAB8, "float GET_VEHICLE_ENGINE_HEALTH(Vehicle vehicle)",
                     "VEHICLE/GetVehicleEngineHealth"},
    DocumentedNative{0x4C241E39B23DF959, "BOOL IS_VEHICLE_DRIVEABLE(Vehicle vehicle, BOOL isOnFireCheck)",
                     "VEHICLE/IsVehicleDriveable"},
    DocumentedNative{0x29439776AAA00A62, "int GET_VEHICLE_CLASS(Vehicle vehicle)", "VEHICLE/GetVehicleClass"},
    DocumentedNative{0xB104CD1BABF302E2, "BOOL IS_VEHICLE_ON_ALL_WHEELS(Vehicle vehicle)",
                     "VEHICLE/IsVehicleOnAllWheels"},
    DocumentedNative{0xD5037BA82E12416F, "float GET_ENTITY_SPEED(Entity entity)", "ENTITY/GetEntitySpeed"},
    DocumentedNative{0x4805D2B1D8CF94A9, "Vector3 GET_ENTITY_VELOCITY(Entity entity)",
                     "ENTITY/GetEntityVelocity"},
    DocumentedNative{0x1C99BB7B6E96D16F, "void SET_ENTITY_VELOCITY(Entity entity, float x, float y, float z)",
                     "ENTITY/SetEntityVelocity"},
    // Flag 256: a normal exit that does not close the door.
    DocumentedNative{0xD3DBCE61A490BE02, "void TASK_LEAVE_VEHICLE(Ped ped, Vehicle vehicle, int flags)",
                     "TASK/TaskLeaveVehicle"},
    // On foot.
    DocumentedNative{0xE28E54788CE8F12D, "int GET_PLAYER_WANTED_LEVEL(Player player)",
                     "PLAYER/GetPlayerWantedLevel"},
    DocumentedNative{0x39FF19C64EF7DA5B,
                     "void SET_PLAYER_WANTED_LEVEL(Player player, int wantedLevel, BOOL delayedResponse)",
                     "PLAYER/SetPlayerWantedLevel"},
    DocumentedNative{0xE0A7D1E497FFCD6F, "void SET_PLAYER_WANTED_LEVEL_NOW(Player player, BOOL p1)",
                     "PLAYER/SetPlayerWantedLevelNow"},
    DocumentedNative{0xF2EAB31979A7F910,
                     "void TASK_HANDS_UP(Ped ped, int duration, Ped facingPed, int timeToFacePed, int flags)",
                     "TASK/TaskHandsUp"},
    DocumentedNative{0xE1EF3C1216AFF2CD, "void CLEAR_PED_TASKS(Ped ped)", "TASK/ClearPedTasks"},
    DocumentedNative{0x433083750C5E064A, "void SET_PED_MAX_MOVE_BLEND_RATIO(Ped ped, float value)",
                     "PED/SetPedMaxMoveBlendRatio"},
    DocumentedNative{0xD75ACCF5E0FB5367,
                     "void SET_PED_USING_ACTION_MODE(Ped ped, BOOL p1, int p2, const char* action)",
                     "PED/SetPedUsingActionMode"},
    // Screen and sound.
    DocumentedNative{0x6806C51AD12B83B8, "void HIDE_HUD_COMPONENT_THIS_FRAME(int id)",
                     "HUD/HideHudComponentThisFrame"},
    DocumentedNative{
        0x3A618A217E5154F0,
        "void DRAW_RECT(float x, float y, float width, float height, int r, int g, int b, int a, BOOL p8)",
        "GRAPHICS/DrawRect"},
    DocumentedNative{0x66E0276CC5F6B9DA, "void SET_TEXT_FONT(int fontType)", "HUD/SetTextFont"},
    DocumentedNative{0x07C837F9A01C34C9, "void SET_TEXT_SCALE(float scale, float size)", "HUD/SetTextScale"},
    DocumentedNative{0xBE6B23FFA53FB442, "void SET_TEXT_COLOUR(int red, int green, int blue, int alpha)",
                     "HUD/SetTextColour"},
    DocumentedNative{0x2513DFB0FB8400FE, "void SET_TEXT_OUTLINE()", "HUD/SetTextOutline"},
    DocumentedNative{0xC02F4DBFB51D988B, "void SET_TEXT_CENTRE(BOOL align)", "HUD/SetTextCentre"},
    DocumentedNative{0x25FBB336DF1804CB, "void BEGIN_TEXT_COMMAND_DISPLAY_TEXT(const char* text)",
                     "HUD/BeginTextCommandDisplayText"},
    DocumentedNative{0x6C188BE134E074AA, "void ADD_TEXT_COMPONENT_SUBSTRING_PLAYER_NAME(const char* text)",
                     "HUD/AddTextComponentSubstringPlayerName"},
    DocumentedNative{0xCD015E5BB0D96A57, "void END_TEXT_COMMAND_DISPLAY_TEXT(float x, float y, int p2)",
                     "HUD/EndTextCommandDisplayText"},
    DocumentedNative{0x202709F4C58A0424, "void BEGIN_TEXT_COMMAND_THEFEED_POST(const char* text)",
                     "HUD/BeginTextCommandThefeedPost"},
    DocumentedNative{0x2ED7843F8F801023, "int END_TEXT_COMMAND_THEFEED_POST_TICKER(BOOL blink, BOOL p1)",
                     "HUD/EndTextCommandThefeedPostTicker"},
    DocumentedNative{
        0x67C540AA08E4A6F5,
        "void PLAY_SOUND_FRONTEND(int soundId, const char* audioName, const char* audioRef, BOOL p3)",
        "AUDIO/PlaySoundFrontend"},
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The type of a declaration "Type name" (or "Type* name", "const char* name").
std::string_view TypeOf(std::string_view declaration) {
  declaration = Trim(declaration);
  const std::size_t space = declaration.rfind(' ');
  if (space == std::string_view::npos)
    throw std::invalid_argument("no name in '" + std::string(declaration) + "'");
  return Trim(declaration.substr(0, space));
}

bool IsHandle(std::string_view type) {
  return type == "Ped" || type == "Vehicle" || type == "Entity" || type == "Player";
}

ArgKind ArgKindOf(std::string_view type) {
  if (type == "const char*" || type == "char*") return ArgKind::Text;
  if (type.ends_with('*')) return ArgKind::Out;
  if (type == "int" || type == "Any") return ArgKind::Int;
  if (type == "Hash") return ArgKind::Hash;
  if (IsHandle(type)) return ArgKind::Handle;
  if (type == "float") return ArgKind::Float;
  if (type == "BOOL") return ArgKind::Bool;
  throw std::invalid_argument("an argument of unknown type " + std::string(type));
}

ResultKind ResultKindOf(std::string_view type) {
  if (type == "void") return ResultKind::None;
  if (type == "int") return ResultKind::Int;
  if (type == "Hash") return ResultKind::Hash;
  if (IsHandle(type)) return ResultKind::Handle;
  if (type == "BOOL") return ResultKind::Bool;
  if (type == "float") return ResultKind::Float;
  if (type == "Vector3") return ResultKind::Vector;
  throw std::invalid_argument("a result of unknown type " + std::string(type));
}

const std::map<std::uint64_t, NativeSignature>& Signatures() {
  static const std::map<std::uint64_t, NativeSignature> signatures = [] {
    std::map<std::uint64_t, NativeSignature> parsed;
    for (const DocumentedNative& native : Table)
      parsed.emplace(native.hash, ParseSignature(native.signature));
    return parsed;
  }();
  return signatures;
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(value));
  return text;
}

// Below this an address is a small number pushed where a pointer belongs.
constexpr std::uint64_t LowestAddress = 0x10000;

const char* Fault(ArgKind kind, std::uint64_t value) {
  switch (kind) {
    case ArgKind::Int:
    case ArgKind::Hash:
    case ArgKind::Handle:
    case ArgKind::Float:
      return value > 0xFFFFFFFFULL ? "a 32-bit value with its high half set" : nullptr;
    case ArgKind::Bool:
      return value > 1 ? "a BOOL other than 0 or 1" : nullptr;
    case ArgKind::Text:
      return value < LowestAddress ? "no string's address" : nullptr;
    case ArgKind::Out:
      return value < LowestAddress || value % 4 != 0 ? "no variable's address" : nullptr;
  }
  return nullptr;
}

}  // namespace

std::span<const DocumentedNative> DocumentedNatives() { return Table; }

NativeSignature ParseSignature(std::string_view signature) {
  const std::size_t open = signature.find('(');
  const std::size_t close = signature.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    throw std::invalid_argument("no argument list in '" + std::string(signature) + "'");
  const std::string_view head = Trim(signature.substr(0, open));
  const std::size_t space = head.rfind(' ');
  if (space == std::string_view::npos)
    throw std::invalid_argument("no result type in '" + std::string(head) + "'");
  NativeSignature parsed;
  parsed.name = std::string(head.substr(space + 1));
  parsed.result = ResultKindOf(Trim(head.substr(0, space)));
  std::string_view list = Trim(signature.substr(open + 1, close - open - 1));
  while (!list.empty()) {
    const std::size_t comma = std::min(list.find(','), list.size());
    parsed.args.push_back(ArgKindOf(TypeOf(list.substr(0, comma))));
    list.remove_prefix(std::min(comma + 1, list.size()));
  }
  return parsed;
}

const NativeSignature* DocumentedSignature(std::uint64_t hash) {
  const auto& signatures = Signatures();
  const auto found = signatures.find(hash);
  return found == signatures.end() ? nullptr : &found->second;
}

bool AddressesSound(const NativeSignature& signature, std::span<const std::uint64_t> slots) {
  for (std::size_t i = 0; i < signature.args.size() && i < slots.size(); ++i) {
    const ArgKind kind = signature.args[i];
    if ((kind == ArgKind::Text || kind == ArgKind::Out) && Fault(kind, slots[i]) != nullptr) return false;
  }
  return true;
}

std::string CheckAgainstDocumentation(std::uint64_t hash, std::span<const std::uint64_t> args) {
  const NativeSignature* documented = DocumentedSignature(hash);
  if (documented == nullptr) return "unknown native " + Hex(hash) + ": not in the natives documentation";
  if (args.size() != documented->args.size()) {
    return documented->name + " (" + Hex(hash) + ") pushed with " + std::to_string(args.size()) +
           " arguments; the documentation has " + std::to_string(documented->args.size());
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (const char* fault = Fault(documented->args[i], args[i])) {
      return documented->name + " (" + Hex(hash) + ") argument " + std::to_string(i + 1) + " is " + fault +
             " (" + Hex(args[i]) + ")";
    }
  }
  return {};
}

}  // namespace sim
