// The substitute host answers as the game's natives documentation has it: the
// plug-in's catalogue calls every native with its documented arguments, a
// call pushed otherwise fails loudly, a short push reads what an earlier
// call left in the slot, and the game's documented answers (a stranger at
// an empty wheel, the magazine read's BOOL) reach the plug-in.
#include "DocumentedNatives.h"
#include "Playthrough.h"
#include "host/Natives.h"

#include <gmock/gmock.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

using ::testing::HasSubstr;

// Every hash the catalogue writes.
std::set<NativeHash> CatalogueHashes() {
  std::ifstream file(HALVANE_SOURCE_DIR "/src/host/Natives.h");
  std::stringstream text;
  text << file.rdbuf();
  const std::string source = text.str();
  std::set<NativeHash> hashes;
  const std::regex hash("0x[0-9A-F]{16}");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), hash); it != std::sregex_iterator(); ++it)
    hashes.insert(std::stoull(it->str(), nullptr, 16));
  return hashes;
}

// Every function of the catalogue, called once as the plug-in calls it.
void CallEveryCatalogueFunction() {
  const Entity me = natives::PlayerCharacter();
  WeaponHash weapon = 0;
  std::int32_t count = 0;
  natives::PlayerIndex();
  natives::GetCurrentWeapon(me, &weapon);
  natives::EntityExists(me);
  natives::EntityIsDead(me);
  natives::EntityModel(me);
  natives::IsInAnyVehicle(me);
  const Entity car = natives::VehicleOfCharacter(me);
  natives::IsSeatFree(car, natives::DriverSeat);
  natives::CharacterInSeat(car, natives::DriverSeat);
  natives::GetAmmoInClip(me, weapon, &count);
  natives::SetAmmoInClip(me, weapon, 1);
  natives::MaxAmmoInClip(me, weapon);
  natives::GetTotalAmmo(me, weapon);
  natives::SetTotalAmmo(me, weapon, 5);
  natives::DisableControl(Control::Jump);
  natives::SetControlValueNextFrame(Control::Reload, 1.0F);
  natives::IsControlPressed(Control::Sprint);
  natives::IsControlJustPressed(Control::LeaveVehicle);
  natives::IsDisabledControlJustPressed(Control::LeaveVehicle);
  natives::IsEngineRunning(car);
  natives::SetEngineOn(car, true, false, false);
  natives::SetUndriveable(car, false);
  natives::VehicleClass(car);
  natives::IsOnAllWheels(car);
  natives::EngineHealth(car);
  natives::IsDriveable(car);
  natives::VehicleSpeed(car);
  natives::VehicleVelocity(car);
  natives::SetVehicleVelocity(car, 1.0F, 2.0F, -3.0F);
  natives::TaskLeaveVehicle(me, car, 256);
  natives::WantedLevel(0);
  natives::SetWantedLevel(0, 1);
  natives::ApplyWantedLevelNow(0);
  natives::TaskHandsUp(me);
  natives::ClearTasks(me);
  natives::SetMaxPaceThisFrame(me, 1.0F);
  natives::ResetActionMode(me);
  natives::HideHudComponentThisFrame(HudComponent::WeaponWheelStats);
  natives::DrawRect(0.5F, 0.5F, 0.1F, 0.1F, 0, 0, 0, 255);
  natives::SetTextFont(4);
  natives::SetTextScale(0.4F, 0.4F);
  natives::SetTextColour(255, 255, 255, 255);
  natives::SetTextOutline();
  natives::SetTextCentre(true);
  natives::BeginTextCommandDisplayText("STRING");
  natives::AddTextComponentString("text");
  natives::EndTextCommandDisplayText(0.5F, 0.5F);
  natives::BeginTextCommandNotification("STRING");
  natives::AddTextComponentString("text");
  natives::EndTextCommandPostNotification();
  natives::PlaySoundFrontend("SELECT", "HUD_FRONTEND_DEFAULT_SOUNDSET");
}

using DocumentedHostTest = Playthrough;

TEST_F(DocumentedHostTest, TheCatalogueIsTheDocumentedTableAndCallsEveryNativeAsDocumented) {
  std::set<NativeHash> documented;
  std::set<std::string> names;
  for (const sim::DocumentedNative& native : sim::DocumentedNatives()) {
    const sim::NativeSignature signature = sim::ParseSignature(native.signature);
    EXPECT_TRUE(documented.insert(native.hash).second) << native.signature << " listed twice";
    EXPECT_TRUE(names.insert(signature.name).second) << signature.name << " listed twice";
    EXPECT_NE(host.game.Find(native.hash), nullptr) << signature.name << " has no answer in the game model";
  }
  EXPECT_EQ(CatalogueHashes(), documented) << "the catalogue and the documented table name other natives";

  host.RunScript(CallEveryCatalogueFunction);
  EXPECT_TRUE(host.errors.empty()) << host.errors.front();
  std::set<NativeHash> called;
  for (const sim::NativeCallRecord& call : host.frameCalls) called.insert(call.hash);
  EXPECT_EQ(called, documented) << "a native of the catalogue is not called by this test";
}

TEST_F(DocumentedHostTest, APushShortLongOrOfAnotherKindFailsLoudlyAndAShortOneReadsTheSlotLeftBefore) {
  const NativeHash isDead = sim::native::EntityIsDead;
  std::vector<std::uint64_t> deadArgs;
  host.lie = [&](NativeHash hash, sim::Invocation& call) {
    if (hash == isDead) deadArgs.assign(call.args.begin(), call.args.end());
  };
  host.RunScript([] {
    WeaponHash weapon = 0;
    natives::GetCurrentWeapon(natives::PlayerCharacter(), &weapon);  // leaves an address in slot 2
    CallNative<bool>(0x5F9532F3B5CC2551, natives::PlayerCharacter());
  });
  ASSERT_EQ(host.errors.size(), 1U);
  EXPECT_THAT(host.errors[0], HasSubstr("IS_ENTITY_DEAD (0x5F9532F3B5CC2551) pushed with 1 arguments"));
  ASSERT_EQ(deadArgs.size(), 2U);
  EXPECT_GT(deadArgs[1], 0xFFFFU) << "the game reads the address the weapon query left";

  const std::pair<std::function<void()>, const char*> misuses[] = {
      {[] { CallNative(0xCD015E5BB0D96A57, 0.5F, 0.5F, 0, 0); }, "pushed with 4 arguments"},
      {[] { CallNative(0x5F9532F3B5CC2551, 0x1001, 2); }, "argument 2 is a BOOL other than 0 or 1"},
      {[] { nativeInit(0x66E0276CC5F6B9DA), nativePush64(0xFFFFFFFF00000004ULL), nativeCall(); },
       "argument 1 is a 32-bit value with its high half set"},
      {[] { CallNative(0x25FBB336DF1804CB, 0); }, "argument 1 is no string's address"},
      {[] { CallNative(0x2E1202248937775C, 0x1001, 0U, 0); }, "argument 3 is no variable's address"},
      {[] { CallNative(0x1234567812345678); }, "unknown native 0x1234567812345678"},
  };
  for (const auto& [misuse, message] : misuses) {
    host.errors.clear();
    host.RunScript(misuse);
    ASSERT_FALSE(host.errors.empty()) << message;
    EXPECT_THAT(host.errors[0], HasSubstr(message));
  }
  host.errors.clear();
}

TEST_F(DocumentedHostTest, AnEmptyWheelAskedAboutGetsAStrangerOnlyInTrafficAndTheModelsKnowTheirMagazines) {
  const std::int32_t parked = host.game.SpawnVehicle(false);
  std::int32_t owned = host.game.SpawnVehicle(false);
  host.game.Vehicle(owned).ambient = false;
  std::array<bool, 3> free{};
  std::array<Entity, 2> drivers{};
  bool read = true;
  std::int32_t count = -7;
  host.RunScript([&] {
    free[0] = natives::IsSeatFree(parked, natives::DriverSeat);
    drivers[0] = natives::CharacterInSeat(parked, natives::DriverSeat);
    free[1] = natives::IsSeatFree(parked, natives::DriverSeat);
    drivers[1] = natives::CharacterInSeat(owned, natives::DriverSeat);
    free[2] = natives::IsSeatFree(owned, natives::DriverSeat);
    read = natives::GetAmmoInClip(natives::PlayerCharacter(), 0x1B06D571, &count);
  });
  EXPECT_TRUE(free[0]);
  EXPECT_NE(drivers[0], 0) << "a car of the traffic gets a stranger at its wheel";
  EXPECT_FALSE(free[1]);
  EXPECT_EQ(drivers[1], 0);
  EXPECT_TRUE(free[2]);
  EXPECT_FALSE(read) << "a weapon the character has not is no read";
  EXPECT_EQ(count, -7) << "and writes nothing";
}

}  // namespace
