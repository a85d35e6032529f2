// Playthroughs of surrender and the walking pace, and of a passenger's weapon.
#include "Playthrough.h"

#include <gmock/gmock.h>

namespace {

constexpr KeyCode SurrenderKey = 'Y';
constexpr KeyCode Ctrl = 0x11;
constexpr KeyCode Shift = 0x10;

using OnFootTest = Playthrough;

TEST_F(OnFootTest, SurrenderCutsTheWantedLevelToOneAndRaisesTheHands) {
  host.game.character.wantedLevel = 3;
  Frame();
  Hold(SurrenderKey);
  Frame();
  EXPECT_EQ(host.game.character.wantedLevel, 1);
  EXPECT_TRUE(host.game.character.handsUp);
  Frame();
  Frame();  // holding the key does nothing more
  EXPECT_TRUE(host.game.character.handsUp);
  EXPECT_EQ(host.game.character.tasksCleared, 0);
  Release(SurrenderKey);
  Frame();
  Hold(SurrenderKey);  // a fresh press lowers the hands
  Frame();
  EXPECT_FALSE(host.game.character.handsUp);
  EXPECT_EQ(host.game.character.tasksCleared, 1);
  Release(SurrenderKey);
  Frame();

  host.game.character.wantedLevel = 0;  // nobody to surrender to
  Tap(SurrenderKey);
  EXPECT_FALSE(host.game.character.handsUp);
  EXPECT_EQ(host.game.character.tasksCleared, 1);
}

TEST_F(OnFootTest, TwoStarsOrMoreBecomeOneAndOneStarStays) {
  for (int wanted : {1, 2, 5}) {
    SCOPED_TRACE(wanted);
    host.game.character.wantedLevel = wanted;
    Frame();
    Hold(SurrenderKey);
    Frame();
    EXPECT_EQ(host.game.character.wantedLevel, 1);
    EXPECT_TRUE(host.game.character.handsUp);
    EXPECT_EQ(host.CallsTo(sim::native::SetWantedLevel).size(),
              wanted >= 2 ? 1U : 0U);  // the level is set only when cut
    Release(SurrenderKey);
    Frame();
    Tap(SurrenderKey);  // hands down again
    ASSERT_FALSE(host.game.character.handsUp);
  }
}

TEST_F(OnFootTest, MovingShootingDyingOrSittingInACarEndsTheSurrender) {
  host.game.character.wantedLevel = 1;
  for (KeyCode cancel : {0x57, 0x41, 0x53, 0x44, 0x09, 0x01, 0x02, 0x04}) {
    const int cleared = host.game.character.tasksCleared;
    Tap(SurrenderKey);
    ASSERT_TRUE(host.game.character.handsUp) << cancel;
    Hold(cancel);
    Frame();
    Release(cancel);
    EXPECT_FALSE(host.game.character.handsUp) << cancel;
    EXPECT_EQ(host.game.character.tasksCleared, cleared + 1) << cancel;
  }

  Tap(SurrenderKey);
  host.game.character.dead = true;
  Frame();
  EXPECT_FALSE(host.game.character.handsUp);
  host.game.character.dead = false;

  // In a car the hands go up and come down on the same pass, the stars cut all the same.
  host.game.character.wantedLevel = 4;
  host.game.Enter(host.game.SpawnVehicle(true));
  const int cleared = host.game.character.tasksCleared;
  Tap(SurrenderKey);
  EXPECT_EQ(host.game.character.wantedLevel, 1);
  EXPECT_FALSE(host.game.character.handsUp);
  EXPECT_EQ(host.game.character.tasksCleared, cleared + 1);
}

TEST_F(OnFootTest, OnFootTheCharacterWalksUnlessSprintingOrFreedWithCtrl) {
  Frame();
  EXPECT_EQ(host.game.paceCap, 1.0F);
  EXPECT_TRUE(host.game.actionModeOff);

  Tap(Ctrl);
  EXPECT_EQ(host.game.paceCap, 0.0F);
  Frame();
  EXPECT_EQ(host.game.paceCap, 0.0F);
  EXPECT_FALSE(host.game.actionModeOff);

  Hold(Shift);
  Frame();
  EXPECT_EQ(host.game.paceCap, 3.0F);
  Release(Shift);
  Frame();  // a sprint brings the walking pace back
  EXPECT_EQ(host.game.paceCap, 1.0F);

  Hold(Ctrl);  // Ctrl and sprint on one pass: sprint wins
  Hold(Shift);
  Frame();
  EXPECT_EQ(host.game.paceCap, 3.0F);
  Release(Ctrl);
  Release(Shift);
  Frame();
  EXPECT_EQ(host.game.paceCap, 1.0F);

  // Ctrl in a car is not seen by the walking pace.
  const std::int32_t car = host.game.SpawnVehicle(true);
  host.game.Enter(car);
  Tap(Ctrl);
  host.game.Enter(0);
  Frame();
  EXPECT_EQ(host.game.paceCap, 1.0F);
}

TEST_F(OnFootTest, WithTheSafetyOnAPassengerCannotFireEither) {
  constexpr std::uint32_t Pistol = 0x1B06D571;
  host.game.GiveWeapon(Pistol, 12, 12, 60);
  host.game.Draw(Pistol);
  host.game.Enter(host.game.SpawnVehicle(true));
  Frame();
  Tap('T');
  Hold(0x01);
  Frame();
  Frame();
  EXPECT_EQ(host.game.shotsFired, 0);
  Release(0x01);
  Tap('T');
  Hold(0x01);
  Frame();
  EXPECT_EQ(host.game.shotsFired, 1);
}

}  // namespace
