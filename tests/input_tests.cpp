// The key-down test and the edge latch, run in this test program against the
// substitute host's scripted input.
#include "Playthrough.h"

#include <array>

namespace {

class InputTest : public Playthrough {
 protected:
  void SetUp() override {
    Playthrough::SetUp();
    PadState = {};
  }
  void Sample() { SamplePad(); }
};

TEST_F(InputTest, KeyboardCodesReadTheHighBitOfTheKeyState) {
  EXPECT_FALSE(IsKeyDown(0x41));
  Hold(0x41);
  EXPECT_TRUE(IsKeyDown(0x41));
  Hold(255);
  EXPECT_TRUE(IsKeyDown(255));
  EXPECT_FALSE(IsKeyDown(0));
  EXPECT_FALSE(IsKeyDown(-1));
  EXPECT_FALSE(IsKeyDown(-256 + 0x41));
}

TEST_F(InputTest, PadCodesReadTheSnapshotOnlyWhileConnected) {
  const std::array<std::uint16_t, 14> bits = {0x1000, 0x2000, 0x4000, 0x8000, 0x0100, 0x0200, 0x0020,
                                              0x0010, 0x0040, 0x0080, 0x0001, 0x0002, 0x0004, 0x0008};
  host.input.padButtons = 0xFFFF;
  host.input.leftTrigger = 255;
  host.input.rightTrigger = 255;
  Sample();
  for (KeyCode code = 256; code <= 271; ++code) EXPECT_FALSE(IsKeyDown(code)) << code;

  host.input.padConnected = true;
  host.input.leftTrigger = 0;
  host.input.rightTrigger = 0;
  for (std::size_t i = 0; i < bits.size(); ++i) {
    host.input.padButtons = bits[i];
    Sample();
    for (KeyCode code = 256; code <= 271; ++code) {
      EXPECT_EQ(IsKeyDown(code), code == 256 + static_cast<KeyCode>(i))
          << "bit " << bits[i] << " code " << code;
    }
  }
  host.input.padButtons = 0xFFFF;
  host.input.leftTrigger = 255;
  host.input.rightTrigger = 255;
  Sample();
  EXPECT_FALSE(IsKeyDown(272));
  EXPECT_FALSE(IsKeyDown(1000));
}

TEST_F(InputTest, TriggersAreDownAboveThirty) {
  host.input.padConnected = true;
  host.input.leftTrigger = 30;
  host.input.rightTrigger = 31;
  Sample();
  EXPECT_FALSE(IsKeyDown(pad_code::LeftTrigger));
  EXPECT_TRUE(IsKeyDown(pad_code::RightTrigger));
  host.input.leftTrigger = 31;
  host.input.rightTrigger = 30;
  Sample();
  EXPECT_TRUE(IsKeyDown(pad_code::LeftTrigger));
  EXPECT_FALSE(IsKeyDown(pad_code::RightTrigger));
}

TEST_F(InputTest, APadPressBetweenTwoSamplesIsNeverSeen) {
  host.input.padConnected = true;
  Sample();
  host.input.padButtons = pad_bit::A;
  EXPECT_FALSE(IsKeyDown(pad_code::A));  // not sampled yet
  host.input.padButtons = 0;
  Sample();
  EXPECT_FALSE(IsKeyDown(pad_code::A));

  host.input.padButtons = pad_bit::A;
  Sample();
  host.input.padConnected = false;
  Sample();
  EXPECT_FALSE(IsKeyDown(pad_code::A));  // a lost pad reads as all up
}

TEST_F(InputTest, EachLatchFiresOnceAPressAndTwoBindingsOnOneKeyBothFire) {
  bool safety = false;
  bool engine = false;
  Hold(0x54);
  EXPECT_TRUE(KeyFires(safety, 0x54));
  EXPECT_TRUE(KeyFires(engine, 0x54));
  EXPECT_FALSE(KeyFires(safety, 0x54));  // held: no second action
  EXPECT_FALSE(KeyFires(engine, 0x54));
  Release(0x54);
  EXPECT_FALSE(KeyFires(safety, 0x54));
  Hold(0x54);
  EXPECT_TRUE(KeyFires(safety, 0x54));
  // A latch that did not run while the key went up and down still holds it.
  EXPECT_FALSE(KeyFires(engine, 0x54));
}

}  // namespace
