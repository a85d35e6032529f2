#include "Playthrough.h"
#include "host/Native.h"

#include <gmock/gmock.h>

#include <bit>
#include <fstream>
#include <iterator>
#include <string>

using ::testing::ElementsAre;
using Kind = sim::HostCallRecord::Kind;

namespace {

using namespace sim::native;

// The hashes of the pass's opening calls: character, weapon, and the tests
// that guard the vehicle block; the character's model and the weapon's
// magazine size, asked only of a new character or weapon, aside.
std::vector<NativeHash> Opening(const std::vector<sim::NativeCallRecord>& calls) {
  std::vector<NativeHash> hashes;
  for (const auto& call : calls) {
    if (call.hash == EntityModel || call.hash == MaxAmmoInClip) continue;
    if (call.hash != PlayerCharacter && call.hash != CurrentWeapon && call.hash != EntityExists &&
        call.hash != EntityIsDead) {
      break;
    }
    hashes.push_back(call.hash);
  }
  return hashes;
}

int Count(const std::vector<sim::HostCallRecord>& calls, Kind kind) {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [kind](const auto& c) { return c.kind == kind; }));
}

using HostTest = Playthrough;

TEST_F(HostTest, RegistersOnceOnAttachAndUnregistersTheSameModuleOnDetach) {
  ASSERT_EQ(host.hostCalls.size(), 1U);
  EXPECT_EQ(host.hostCalls[0].kind, Kind::Register);
  EXPECT_EQ(host.hostCalls[0].module, host.Module());

  host.Frames(3);
  const HostModule module = host.Module();
  host.Unload();
  EXPECT_EQ(Count(host.hostCalls, Kind::Register), 1);
  ASSERT_EQ(Count(host.hostCalls, Kind::Unregister), 1);
  EXPECT_EQ(host.hostCalls.back().kind, Kind::Unregister);
  EXPECT_EQ(host.hostCalls.back().module, module);
}

TEST_F(HostTest, FirstFrameRunsStartUpAndTheFirstPassWithOneWaitAtTheEnd) {
  host.game.character.handle = -5;  // handles travel zero-extended
  host.game.GiveWeapon(0x1B06D571, 12, 12, 60);
  host.game.character.weapon = 0x1B06D571;
  host.Frame();

  EXPECT_THAT(Opening(host.frameCalls),
              ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists, EntityIsDead));
  const sim::NativeCallRecord& weapon = host.frameCalls[1];
  ASSERT_EQ(weapon.args.size(), 3U);
  EXPECT_EQ(weapon.args[0], 0x00000000FFFFFFFBU);
  EXPECT_NE(weapon.args[1], 0U);
  EXPECT_EQ(weapon.args[2], 1U);
  EXPECT_EQ(host.game.weaponSlotBeforeCall, 0U);
  EXPECT_EQ(host.frameCalls[2].hash, EntityModel);
  EXPECT_EQ(host.frameCalls[2].args, std::vector<std::uint64_t>{0x00000000FFFFFFFBU});
  EXPECT_EQ(host.frameCalls[3].hash, MaxAmmoInClip);

  ASSERT_EQ(host.hostCalls.size(), 2U);
  EXPECT_EQ(host.hostCalls[1].kind, Kind::Wait);
  EXPECT_EQ(host.hostCalls[1].milliseconds, 0U);
  EXPECT_EQ(host.padReads, 1);

  host.Frames(2);
  EXPECT_EQ(Count(host.hostCalls, Kind::Wait), 3);
  EXPECT_EQ(host.padReads, 1);
  EXPECT_THAT(host.CallsTo(EntityModel), ::testing::IsEmpty()) << "asked again of the same character";
  EXPECT_THAT(host.CallsTo(MaxAmmoInClip), ::testing::IsEmpty()) << "asked again of the same weapon";
  EXPECT_THAT(Opening(host.frameCalls),
              ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists, EntityIsDead));
}

TEST_F(HostTest, MissingOrDeadCharacterSkipsOnlyTheVehicleBlock) {
  host.game.character.exists = false;
  host.Frame();
  EXPECT_THAT(Opening(host.frameCalls), ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists));

  host.game.character.exists = true;
  host.game.character.dead = true;
  host.Frame();
  EXPECT_THAT(Opening(host.frameCalls),
              ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists, EntityIsDead));
}

TEST_F(HostTest, ReloadingTheLibraryStartsItAfresh) {
  host.Frames(2);
  host.Unload();
  EXPECT_TRUE(host.errors.empty());  // the library really left the process
  host.Load();
  ASSERT_TRUE(host.Loaded());
  host.Frame();
  EXPECT_EQ(Count(host.hostCalls, Kind::Register), 2);
  EXPECT_EQ(Count(host.hostCalls, Kind::Unregister), 1);
  EXPECT_THAT(Opening(host.frameCalls),
              ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists, EntityIsDead));
}

TEST_F(HostTest, AnExceptionEndsItsPassAndTheGameGoesOn) {
  constexpr std::uint32_t Pistol = 0x1B06D571;
  host.game.GiveWeapon(Pistol, 12, 12, 60);
  host.game.Draw(Pistol);
  host.Frame();
  Hold('T');
  host.Frame();  // safety on
  Release('T');

  // A host function that throws while firing is being blocked: the pass ends
  // there, and the plug-in does not let the exception reach the host.
  host.throwingNative = DisableControl;
  host.input.tick += 16;
  host.Frame();
  EXPECT_EQ(Count(host.hostCalls, Kind::Wait), 3);
  EXPECT_TRUE(host.game.disabledControls.empty());

  host.throwingNative = 0;
  host.input.tick += 16;
  host.Frame();
  EXPECT_EQ(Count(host.hostCalls, Kind::Wait), 4);
  EXPECT_EQ(host.game.disabledControls.size(), 12U);
  EXPECT_EQ(host.game.texts.size(), 1U);  // the safety line, drawn again
}

// A platform service that throws while start-up runs: start-up ends there,
// and the game goes on with the first pass on that very frame.
struct ThrowAtStartUp {
  const char* service;
  KeyCode menuKeyAfterOpening;  // the file's F5 once the file has been read, else F2
  float gear1Limit;             // the file's 12.5 once it has been read, else the default
};

void PrintTo(const ThrowAtStartUp& failure, std::ostream* out) { *out << failure.service << " throws"; }

class StartUpThrowsTest : public Playthrough, public ::testing::WithParamInterface<ThrowAtStartUp> {};

std::string Contents(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

TEST_P(StartUpThrowsTest, TheFirstPassRunsAndTheFileIsLeftAlone) {
  constexpr KeyCode F2 = 0x71;
  const ThrowAtStartUp& failure = GetParam();
  const std::filesystem::path file = host.Folder() / "Halvane.ini";
  const std::string mine = "Menu=F5\nGear1=12.5\n";
  std::ofstream(file, std::ios::binary) << mine;
  host.environment.throwingService = failure.service;
  host.Frame();
  host.environment.throwingService.clear();
  EXPECT_EQ(Count(host.hostCalls, Kind::Wait), 1);
  EXPECT_THAT(Opening(host.frameCalls),
              ElementsAre(PlayerCharacter, CurrentWeapon, EntityExists, EntityIsDead));

  // The menu key in force opens the menu; the settings in force close it.
  const KeyCode opening = failure.service == std::string("MainImage") ? failure.menuKeyAfterOpening : F2;
  Tap(opening);
  EXPECT_TRUE(Drew("~y~Halvane~w~ | Keybindings"));
  Tap(failure.menuKeyAfterOpening);
  EXPECT_FALSE(Drew("~y~Halvane~w~ | Keybindings"));
  EXPECT_EQ(Contents(file), mine);

  // Passes run on as usual: gear 1 holds the car to the limit in force.
  const std::int32_t car = host.game.SpawnVehicle(true);
  host.game.Enter(car);
  Frame();  // got in standing
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, failure.gear1Limit);
  EXPECT_EQ(Contents(file), mine);
  EXPECT_THAT(host.fileLog, ::testing::IsEmpty());  // no file written anywhere
}

// No library path: no file is known, and the defaults hold for the run.
// The read threw: the file is read when the menu opens, as any file that
// could not be read at start-up. The scan threw: the file was read before it.
INSTANTIATE_TEST_SUITE_P(EachService, StartUpThrowsTest,
                         ::testing::Values(ThrowAtStartUp{"LibraryFileName", 0x71, 9.72F},
                                           ThrowAtStartUp{"OpenFile", 0x74, 12.5F},
                                           ThrowAtStartUp{"MainImage", 0x74, 12.5F}),
                         [](const auto& info) { return std::string(info.param.service); });

TEST(NativeProtocol, ArgumentsTravelInTheLowHalfOfTheirSlot) {
  EXPECT_EQ(native_slot::Encode(std::int32_t{-1}), 0x00000000FFFFFFFFU);
  EXPECT_EQ(native_slot::Encode(std::int32_t{71}), 71U);
  EXPECT_EQ(native_slot::Encode(std::uint32_t{0xA2719263}), 0xA2719263U);
  EXPECT_EQ(native_slot::Encode(1.0F), 0x3F800000U);
  EXPECT_EQ(native_slot::Encode(-0.0F), 0x80000000U);
  EXPECT_EQ(native_slot::Encode(true), 1U);
  EXPECT_EQ(native_slot::Encode(false), 0U);
  const char* text = "STRING";
  EXPECT_EQ(native_slot::Encode(text), reinterpret_cast<std::uintptr_t>(text));
  std::int32_t out = 0;
  EXPECT_EQ(native_slot::Encode(&out), reinterpret_cast<std::uintptr_t>(&out));
}

TEST(NativeProtocol, ResultsAreReadFromTheirOwnBytesOnly) {
  // The host leaves whatever it likes in the bytes a result does not use.
  std::uint64_t slots[3] = {0xDEADBEEF'FFFFFFFEU, 0, 0};
  EXPECT_EQ(native_slot::Decode<std::int32_t>(slots), -2);
  slots[0] = 0x00000001'00000000U;
  EXPECT_FALSE(native_slot::Decode<bool>(slots));
  slots[0] = 0xFFFFFFFF'00000100U;
  EXPECT_TRUE(native_slot::Decode<bool>(slots));
  slots[0] = 0xCAFEF00D'00000000U | std::bit_cast<std::uint32_t>(26.39F);
  EXPECT_EQ(native_slot::Decode<float>(slots), 26.39F);

  slots[0] = 0x12345678'00000000U | std::bit_cast<std::uint32_t>(1.5F);
  slots[1] = 0x9ABCDEF0'00000000U | std::bit_cast<std::uint32_t>(-2.25F);
  slots[2] = 0x0F0F0F0F'00000000U | std::bit_cast<std::uint32_t>(8.0F);
  const Vector3 v = native_slot::Decode<Vector3>(slots);
  EXPECT_EQ(v.x, 1.5F);
  EXPECT_EQ(v.y, -2.25F);
  EXPECT_EQ(v.z, 8.0F);
}

}  // namespace
