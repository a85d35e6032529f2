// A host that lies for a whole session: for every native whose answer the
// plug-in uses, a session of ordinary play in which that answer is nonsense
// on every pass (0, -1, the most negative and most positive integers, NaN,
// both infinities, a new hash or handle every pass). No sanitizer report,
// nothing allocated once the session is under way, and nothing handed to
// the game that is not a finite number or that is a negative count.
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
};
const LiedNative LiedNatives[] = {
    {sim::native::PlayerCharacter, Answer::Int},    {sim::native::CurrentWeapon, Answer::Out, 1},
    {sim::native::EntityExists, Answer::Int},       {sim::native::EntityIsDead, Answer::Int},
    {sim::native::IsInAnyVehicle, Answer::Int},     {sim::native::VehicleOfCharacter, Answer::Int},
    {sim::native::CharacterInSeat, Answer::Int},    {sim::native::GetAmmoInClip, Answer::Out, 2},
    {sim::native::GetTotalAmmo, Answer::Int},       {sim::native::EngineRunning, Answer::Int},
    {sim::native::ControlJustPressed, Answer::Int}, {sim::native::DisabledControlJustPressed, Answer::Int},
    {sim::native::ControlPressed, Answer::Int},     {sim::native::VehicleSpeed, Answer::Float},
    {sim::native::VehicleVelocity, Answer::Vector}, {sim::native::PlayerIndex, Answer::Int},
    {sim::native::WantedLevel, Answer::Int},        {sim::native::PostNotification, Answer::Int},
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
  if (pass == 40) game.Draw(explore::Rifle);
  if (pass == 44) game.Draw(explore::Pistol);
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

// One session of play with `native` telling `lie` on every pass; ends at
// the first promise broken.
void PlaySession(const LiedNative& native, const Lie& lie) {
  {
    World world;
    SCOPED_TRACE(world.host.game.NameOf(native.hash) + " answers " + lie.name + " all session");
    world.host.lie = [&](NativeHash hash, sim::Invocation& call) {
      if (hash == native.hash) Tell(native, lie, world.host.frameNumber, call);
    };
    for (int pass = 0; pass < SessionPasses; ++pass) {
      PlayStep(world, pass);
      const std::int32_t car = world.host.game.character.vehicle;
      const float speedBefore = car != 0 ? std::hypot(world.host.game.Vehicle(car).velocity.x,
                                                      world.host.game.Vehicle(car).velocity.y)
                                         : 0.0F;
      world.Frame();
      SCOPED_TRACE("pass " + std::to_string(pass));
      // The leave task names the vehicle the host said the character sits in.
      if (native.hash == sim::native::VehicleOfCharacter || native.hash == sim::native::IsInAnyVehicle)
        std::erase(world.host.errors, std::string("leave task for another vehicle"));
      ASSERT_TRUE(world.host.errors.empty()) << world.host.errors.front();
      ASSERT_TRUE(promises::OnlySoundNumbersHanded(world.host));
      ASSERT_TRUE(promises::TextCommandsEnded(world.host, 0));
      if (pass >= SettledPass) {
        ASSERT_EQ(world.host.pluginAllocations, 0) << "allocated in a pass";
      }
      if (car != 0 && world.host.game.character.vehicle == car) {
        // A cut never stops the car dead nor flings it: whatever the host
        // said, the car ends between its limit and the speed it had.
        const float after = world.host.game.speedAfterPass;
        ASSERT_GE(after, std::min(speedBefore, 9.72F) - 0.01F) << "the car was stopped";
        ASSERT_LE(after, std::max(speedBefore, 9.72F) + 0.01F) << "the car was flung";
      }
    }
  }
}

class LyingHost : public ::testing::TestWithParam<LiedNative> {};

TEST_P(LyingHost, ASessionOfNonsenseHandsTheGameNothingUnsoundAndAllocatesNothing) {
  for (const Lie& lie : Lies) PlaySession(GetParam(), lie);
}

INSTANTIATE_TEST_SUITE_P(Natives, LyingHost, ::testing::ValuesIn(LiedNatives),
                         [](const ::testing::TestParamInfo<LiedNative>& info) {
                           sim::Game game;
                           std::string name = game.NameOf(info.param.hash);
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
