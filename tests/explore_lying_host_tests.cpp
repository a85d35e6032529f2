// A host that lies: for every native whose answer the plug-in uses, and for
// two answers at once where they meet, sessions of ordinary play in which
// that answer is nonsense (0, -1, the most negative and most positive
// integers, NaN, both infinities, 5, a new hash or handle every pass), on every
// pass, on every other pass, or only on the passes that matter (the magazine
// held at its last cartridge, a weapon drawn, a car got into). No sanitizer
// report, nothing allocated once the session is under way, nothing handed to
// the game that is not a finite number or that is a negative count, and the
// player's rounds kept.
#include "ExplorerWorld.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

using explore::World;
namespace key = explore::key;

// How a native answers: an integer (or a truth), a float, a vector, or an
// integer written through the out-parameter at `slot`.
enum class Answer { Int, Float, Vector, Out };
struct LiedNative {
  NativeHash hash;
  Answer answer;
  std::size_t slot = 0;
  const char* what = "";  // told apart from another row of the same native
};
// One native lying, or two at once.
struct LiedRow {
  LiedNative first;
  LiedNative second = {0, Answer::Int};
};
constexpr LiedNative CurrentWeapon = {sim::native::CurrentWeapon, Answer::Out, 1};
constexpr LiedNative AmmoInClip = {sim::native::GetAmmoInClip, Answer::Out, 2};
constexpr LiedNative TotalAmmo = {sim::native::GetTotalAmmo, Answer::Int};
const LiedRow LiedRows[] = {
    {{sim::native::PlayerCharacter, Answer::Int}},
    {CurrentWeapon},
    {{sim::native::EntityExists, Answer::Int}},
    {{sim::native::EntityIsDead, Answer::Int}},
    {{sim::native::IsInAnyVehicle, Answer::Int}},
    {{sim::native::VehicleOfCharacter, Answer::Int}},
    {{sim::native::CharacterInSeat, Answer::Int}},
    {{sim::native::IsSeatFree, Answer::Int}},
    {AmmoInClip},
    {{sim::native::GetAmmoInClip, Answer::Int, 0, " read"}},  // whether it read a count
    {TotalAmmo},
    {{sim::native::EngineRunning, Answer::Int}},
    {{sim::native::ControlJustPressed, Answer::Int}},
    {{sim::native::DisabledControlJustPressed, Answer::Int}},
    {{sim::native::ControlPressed, Answer::Int}},
    {{sim::native::VehicleSpeed, Answer::Float}},
    {{sim::native::VehicleVelocity, Answer::Vector}},
    {{sim::native::PlayerIndex, Answer::Int}},
    {{sim::native::WantedLevel, Answer::Int}},
    {{sim::native::PostNotification, Answer::Int}},
    {AmmoInClip, TotalAmmo},
    {CurrentWeapon, AmmoInClip},
    {CurrentWeapon, TotalAmmo},
};

// The lies: fixed values, and one new on every pass.
struct Lie {
  const char* name;
  std::int32_t integer;
  float real;
  bool fresh = false;  // a new hash, handle or number every pass
};
const Lie Lies[] = {
    {"0", 0, 0.0F},
    {"5", 5, 5.0F},  // small, and positive: a count or total that could be true
    {"-1", -1, -1.0F},
    {"most negative", std::numeric_limits<std::int32_t>::min(), std::numeric_limits<float>::lowest()},
    {"most positive", std::numeric_limits<std::int32_t>::max(), std::numeric_limits<float>::max()},
    {"NaN", std::bit_cast<std::int32_t>(std::numeric_limits<float>::quiet_NaN()),
     std::numeric_limits<float>::quiet_NaN()},
    {"infinity", std::bit_cast<std::int32_t>(INFINITY), INFINITY},
    {"minus infinity", std::bit_cast<std::int32_t>(-INFINITY), -INFINITY},
    {"new every pass", 0, 0.0F, true},
};

void Tell(const LiedNative& native, const Lie& lie, int frame, sim::Invocation& call) {
  const std::int32_t integer = lie.fresh ? 0x51000000 + frame : lie.integer;
  const float real = lie.fresh ? 40.0F + static_cast<float>(frame % 97) * 1e3F : lie.real;
  switch (native.answer) {
    case Answer::Int:
      call.Return(integer);
      break;
    case Answer::Float:
      call.Return(real);
      break;
    case Answer::Vector:
      call.Return(Vector3{real, real, real});
      break;
    case Answer::Out:
      *call.Out<std::int32_t>(native.slot) = integer;
      break;
  }
}

// Ordinary play, one step a pass: weapons drawn, fired, caught, emptied,
// reloaded and swapped; surrender; a car got into, started, shifted, driven
// over its limits and left; the menu opened, walked and closed.
void PlayStep(World& world, int pass) {
  sim::Game& game = world.host.game;
  const auto at = [pass](int first, int last) { return pass >= first && pass <= last; };
  world.host.input.keys = {};
  if (pass == 3) world.Arm(explore::Rifle, 30, 90);
  if (pass == 4) world.Arm(explore::Pistol, 12, 60);
  if (pass == 6 || pass == 12) world.Hold(key::Safety);
  if (at(8, 30)) world.Hold(key::Trigger);
  if (pass == 34 || pass == 50) world.Hold(key::Reload);
  if (pass == 31 || pass == 40) game.Draw(explore::Rifle);  // the pistol put away while held, then not
  if (pass == 33 || pass == 44) game.Draw(explore::Pistol);
  if (pass == 55) game.character.wantedLevel = 3;
  if (pass == 56) world.Hold('Y');
  if (pass == 62) game.Enter(game.SpawnVehicle(false));
  if (pass == 64) world.Hold('G');
  if (pass == 66 || pass == 68) world.Hold(key::GearUp);
  if (at(66, 90) && game.character.vehicle != 0)
    game.Vehicle(game.character.vehicle).velocity = {30.0F, 2.0F, 0.0F};
  if (pass == 80) world.Hold('1');
  if (pass == 92) world.Hold('F');
  if (pass == 96) game.Enter(0);
  if (pass == 100 || pass == 112) world.Hold(key::Menu);
  if (pass == 104 || pass == 106) world.Hold(key::Down);
  if (pass == 108) world.Hold(key::Up);
}
constexpr int SessionPasses = 120;
// The first passes make what a session keeps for good: the settings file,
// the records of the weapons in play.
constexpr int SettledPass = 20;
// The pistol is caught from the pass after this one to this one, its trigger held.
constexpr int CaughtFrom = 7;
constexpr int CaughtTo = 11;

// When the host lies in a session.
enum class When { EveryPass, EveryOtherPass, PassesThatMatter };
constexpr const char* WhenNames[] = {"on every pass", "on every other pass", "on the passes that matter"};

// The passes that matter: the pistol held at its last cartridge, a weapon
// drawn, the car got into.
bool Matters(const World& world, int pass) {
  const sim::Character& character = world.host.game.character;
  const auto held = character.weapons.find(character.weapon);
  const bool lastCartridge = held != character.weapons.end() && held->second.clip == 1;
  return lastCartridge || pass == 31 || pass == 33 || pass == 40 || pass == 44 || pass == 62;
}

// One session of play with the row's natives telling `lie` when `when`
// says; ends at the first promise broken.
void PlaySession(const LiedRow& row, const Lie& lie, When when) {
  World world;
  sim::Game& game = world.host.game;
  std::string name = game.NameOf(row.first.hash) + row.first.what;
  if (row.second.hash != 0) name += " and " + game.NameOf(row.second.hash) + row.second.what;
  SCOPED_TRACE(name + " answer " + lie.name + " " + WhenNames[static_cast<int>(when)]);
  bool lying = false;
  world.host.lie = [&](NativeHash hash, sim::Invocation& call) {
    if (!lying) return;
    if (hash == row.first.hash) Tell(row.first, lie, world.host.frameNumber, call);
    if (hash == row.second.hash) Tell(row.second, lie, world.host.frameNumber, call);
  };
  const auto lies = [&](NativeHash hash) { return row.first.hash == hash || row.second.hash == hash; };
  // The catch is the plug-in's only while it is told which weapon is in hand.
  const bool catchKnowable = !lies(sim::native::CurrentWeapon) && !lies(sim::native::PlayerCharacter);
  for (int pass = 0; pass < SessionPasses; ++pass) {
    PlayStep(world, pass);
    lying = when == When::EveryPass || (when == When::EveryOtherPass && pass % 2 == 1) ||
            (when == When::PassesThatMatter && Matters(world, pass));
    const std::int32_t car = game.character.vehicle;
    const float speedBefore =
        car != 0 ? std::hypot(game.Vehicle(car).velocity.x, game.Vehicle(car).velocity.y) : 0.0F;
    const promises::WeaponBefore before = promises::TakeWeaponBefore(world.host);
    world.Frame();
    SCOPED_TRACE("pass " + std::to_string(pass));
    // The leave task names the vehicle the host said the character sits in.
    if (lies(sim::native::VehicleOfCharacter) || lies(sim::native::IsInAnyVehicle))
      std::erase(world.host.errors, std::string("leave task for another vehicle"));
    ASSERT_TRUE(world.host.errors.empty()) << world.host.errors.front();
    ASSERT_TRUE(promises::OnlySoundNumbersHanded(world.host));
    ASSERT_TRUE(promises::TextCommandsEnded(world.host, 0));
    ASSERT_TRUE(promises::RoundsKept(world.host, before.rounds));
    if (catchKnowable && pass > CaughtFrom && pass <= CaughtTo) {
      ASSERT_TRUE(promises::NoShotFired(world.host, before)) << "the caught pistol fired";
    }
    if (pass >= SettledPass) {
      ASSERT_EQ(world.host.pluginAllocations, 0) << "allocated in a pass";
    }
    if (car != 0 && game.character.vehicle == car) {
      // A cut never stops the car dead nor flings it: whatever the host
      // said, the car ends between its limit and the speed it had.
      const float after = game.speedAfterPass;
      ASSERT_GE(after, std::min(speedBefore, 9.72F) - 0.01F) << "the car was stopped";
      ASSERT_LE(after, std::max(speedBefore, 9.72F) + 0.01F) << "the car was flung";
    }
  }
}

class LyingHost : public ::testing::TestWithParam<LiedRow> {};

TEST_P(LyingHost, NonsenseHandsTheGameNothingUnsoundAllocatesNothingAndKeepsTheRounds) {
  const int stride = explore::Stride(5);
  int session = 0;
  for (const When when : {When::EveryPass, When::EveryOtherPass, When::PassesThatMatter}) {
    for (const Lie& lie : Lies) {
      if (session++ % stride == 0) PlaySession(GetParam(), lie, when);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Natives, LyingHost, ::testing::ValuesIn(LiedRows),
                         [](const ::testing::TestParamInfo<LiedRow>& info) {
                           sim::Game game;
                           std::string name = game.NameOf(info.param.first.hash) + info.param.first.what;
                           if (info.param.second.hash != 0)
                             name += "_and_" + game.NameOf(info.param.second.hash) + info.param.second.what;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
