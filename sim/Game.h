// The game model of the substitute host: the state the natives read and
// change, and the table of natives it answers.
#pragma once

#include "NativeHashes.h"
#include "host/Native.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

// One native call as the model sees it: the pushed slots and a result buffer
// that the plug-in reads after the call.
struct Invocation {
  std::span<const std::uint64_t> args;
  std::array<std::uint64_t, 3> result{};

  std::int32_t Int(std::size_t i) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(args[i]));
  }
  std::uint32_t Hash(std::size_t i) const { return static_cast<std::uint32_t>(args[i]); }
  bool Bool(std::size_t i) const { return args[i] != 0; }
  float Float(std::size_t i) const;
  const char* Text(std::size_t i) const { return reinterpret_cast<const char*>(args[i]); }
  template <class T>
  T* Out(std::size_t i) const {
    return reinterpret_cast<T*>(args[i]);
  }

  void Return(std::int32_t value) { result[0] = static_cast<std::uint32_t>(value); }
  void Return(bool value) { result[0] = value ? 1U : 0U; }
  void Return(float value);
  void Return(Vector3 value);
};

struct NativeInfo {
  std::string name;
  std::function<void(Invocation&)> run;
};

// Keyboard, mouse, pad and clock as the plug-in will find them this frame.
struct Input {
  std::array<bool, 256> keys{};
  bool padConnected = false;
  std::uint16_t padButtons = 0;
  std::uint8_t leftTrigger = 0;
  std::uint8_t rightTrigger = 0;
  std::uint32_t tick = 5'000'000;  // GetTickCount: the machine has been up for a while
};

// How a weapon fires while the trigger is down.
enum class FireMode {
  EachFrame,  // a cartridge every frame: the simplest model, for tests
  PerPull,    // one per pull of the trigger: pistols, launchers
  Automatic,  // one every AutomaticInterval milliseconds: rifles
};
inline constexpr std::uint32_t AutomaticInterval = 100;  // ten rounds a second

struct WeaponModel {
  std::int32_t clip = 0;      // cartridges in the magazine
  std::int32_t magazine = 0;  // what a full magazine holds
  std::int32_t total = 0;     // all cartridges, the magazine's included
  FireMode fire = FireMode::EachFrame;
};

inline constexpr std::uint32_t Unarmed = 0xA2719263;

struct VehicleModel {
  bool exists = true;
  bool engineRunning = false;
  bool undriveable = false;
  // Someone at the wheel while the character sits in another seat (a taxi's
  // driver): 0 for an empty driver's seat.
  std::int32_t otherDriver = 0;
  // A vehicle of the passing traffic, as parked cars are: asked who sits at
  // its empty wheel, the game seats a stranger there and answers him.
  bool ambient = true;
  std::int32_t vehicleClass =
      0;  // the game's class: 0 compacts ... 13 cycles, 14 boats, 15 helicopters, 16 planes, 21 trains
  bool onAllWheels = true;
  float engineHealth = 1000.0F;  // 1000 a perfect engine; 0 and below on fire or destroyed
  bool wrecked = false;          // the game no longer lets it be driven (not the undriveable mark)
  Vector3 velocity{0.0F, 0.0F, 0.0F};
  // The game's object behind the handle, as getScriptHandleBaseAddress gives
  // it: large enough for a float at the largest field offset the plug-in
  // accepts (0xFFFF), so that AddressSanitizer sees any write beyond.
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000 + 3, 0);
};

// Keys the game itself reads in the model.
namespace game_key {
inline constexpr int Fire = 0x01;    // left mouse button: attack
inline constexpr int Sprint = 0x10;  // Shift
inline constexpr int Accelerate = 'W';
inline constexpr int LeaveVehicle = 'F';
inline constexpr int Reload = 'R';
}  // namespace game_key

struct Character {
  std::int32_t handle = 0x1001;
  std::uint32_t model = 0x0D7114C9;  // one playable character; another has another model
  bool exists = true;
  bool dead = false;
  std::uint32_t weapon = Unarmed;
  std::map<std::uint32_t, WeaponModel> weapons;
  std::int32_t vehicle = 0;  // the vehicle sat in; 0 on foot
  std::int32_t seat = -1;    // the seat sat in: -1 the driver's, 0 and up the others
  std::int32_t wantedLevel = 0;
  bool handsUp = false;
  int tasksCleared = 0;  // whole run
};

struct TextStyleState {
  std::int32_t font = 0;
  float scaleX = 1.0F;
  float scaleY = 1.0F;
  std::array<std::int32_t, 4> colour{255, 255, 255, 255};
  bool outline = false;
  bool centred = false;
};

struct DrawnText {
  std::string text;
  TextStyleState style;
  float x;
  float y;
  int order;  // place among all of the frame's drawing
};

struct DrawnRect {
  float x;
  float y;
  float width;
  float height;
  std::array<std::int32_t, 4> colour;
  int order;
};

struct FrontendSound {
  std::string name;
  std::string soundSet;
};

class Game {
 public:
  Game();

  Character character;
  // What the weapon variable held when the plug-in asked for the weapon.
  std::uint32_t weaponSlotBeforeCall = 0xFFFFFFFF;

  // Gives the character a weapon (or refills it) without drawing it.
  void GiveWeapon(std::uint32_t hash, std::int32_t clip, std::int32_t magazine, std::int32_t total,
                  FireMode fire = FireMode::EachFrame);
  // Puts the weapon in hand; like the game, tops up the magazine drawn.
  void Draw(std::uint32_t hash);
  WeaponModel& Weapon(std::uint32_t hash) { return character.weapons.at(hash); }
  // A vehicle parked in the world; its handle.
  std::int32_t SpawnVehicle(bool engineRunning);
  VehicleModel& Vehicle(std::int32_t handle) { return vehicles.at(handle); }
  // The character sits down in the vehicle (0: stands on foot).
  // Into `vehicle` (0: out of any), in the driver's seat unless told.
  void Enter(std::int32_t vehicle, std::int32_t seat = -1) {
    character.vehicle = vehicle;
    character.seat = seat;
  }
  // What getScriptHandleBaseAddress answers for a handle.
  std::uint8_t* ObjectMemory(std::int32_t handle);

  std::map<std::int32_t, VehicleModel> vehicles;
  // This frame: the pace cap, the action mode switched off, the leave task given.
  float paceCap = 0.0F;  // 0: none
  bool actionModeOff = false;
  std::int32_t leaveTaskFlags = -1;  // -1: no leave task

  // Controls disabled, and HUD components hidden, for this frame.
  std::vector<std::int32_t> disabledControls;
  std::set<std::int32_t> hiddenHud;
  int shotsFired = 0;  // whole run
  int reloads = 0;     // whole run
  // The speed of the vehicle sat in as the script pass left it, before the
  // world moved on; 0 on foot.
  float speedAfterPass = 0.0F;

  // Drawn and played this frame.
  std::vector<DrawnText> texts;
  std::vector<DrawnRect> rects;
  int drawCount = 0;
  std::vector<FrontendSound> frontendSounds;
  // Every notification posted, whole run.
  std::vector<std::string> notifications;
  // Misuse of a native the model noticed; the host reports it as an error.
  std::vector<std::string> faults;

  const NativeInfo* Find(NativeHash hash) const;
  // Name of a native for printing, or its hash in hex.
  std::string NameOf(NativeHash hash) const;

  // Called by the host around every frame: per-frame effects start empty and
  // the world moves on by one frame afterwards.
  void BeginFrame(const Input& input);
  void EndFrame(const Input& input);

  bool EntityExists(std::int32_t handle) const;
  // A text command or a notification begun this frame and not yet ended.
  bool TextCommandOpen() const {
    return (textOpen_ && textBegunThisFrame_) || (notificationOpen_ && notificationBegunThisFrame_);
  }

 private:
  void Define(NativeHash hash, std::string name, std::function<void(Invocation&)> run);
  void DefineCharacterNatives();
  void DefineScreenNatives();
  void DefineWeaponNatives();
  void DefineVehicleNatives();
  void DefineOnFootNatives();
  void MoveVehicles(const Input& input);
  VehicleModel* FindVehicle(std::int32_t handle);
  bool leaveKeyWasDown_ = false;
  bool leavePressed_ = false;  // the leave key went down this frame
  bool sprintHeld_ = false;
  bool triggerWasDown_ = false;
  std::uint32_t lastShotTick_ = 0;
  void PullTrigger(const Input& input, WeaponModel& weapon);
  std::int32_t pendingWanted_ = -1;
  std::int32_t nextVehicle_ = 0x2001;
  std::int32_t nextStranger_ = 0x3001;
  bool SeatTaken(std::int32_t vehicle, std::int32_t seat) const;
  bool ControlDisabled(std::int32_t control) const;
  bool IsCharacter(std::int32_t handle) const { return handle == character.handle && character.exists; }
  WeaponModel* Owned(std::int32_t handle, std::uint32_t hash);

  // Control values the plug-in set for the next frame, and for this one.
  std::map<std::int32_t, float> controlsNextFrame_;
  std::map<std::int32_t, float> controlsThisFrame_;

  // The style the next text command draws with, and its text so far.
  TextStyleState textStyle_;
  bool textOpen_ = false;
  std::string textBody_;
  bool notificationOpen_ = false;
  bool textBegunThisFrame_ = false;
  bool notificationBegunThisFrame_ = false;
  std::string notificationBody_;

  std::unordered_map<NativeHash, NativeInfo> natives_;
};

}  // namespace sim
