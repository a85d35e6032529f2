// Faults of the gear speeds page found in the field, each played as a player
// met it: the gear floors over No Limit gears, and speeds of ten thousand,
// thousands and millions of m/s through the file and every press.
#include "FieldFaults.h"
#include "MenuPlaythrough.h"
#include "Promises.h"

namespace {

TEST_F(MenuTest, LeftKeepsEveryGearAStepAboveTheNearestGearBelowWithAFigure) {
  // Each of gears 1 to 3 No Limit in turn; Left held to the floor on each
  // gear above it, highest first.
  for (int noLimit = 1; noLimit <= 3; ++noLimit) {
    SCOPED_TRACE("gear " + std::to_string(noLimit) + " No Limit");
    Restart(host, "Gear" + std::to_string(noLimit) + "=inf\n");
    Frame();
    GoToGearSpeeds();
    for (int gear = LimitedGearCount; gear > noLimit; --gear) {
      MoveTo("Gear " + std::to_string(gear));
      for (int press = 0; press < 140; ++press) Tap(Left);
    }
    const std::array<float, 4> limits = promises::FileGearLimits(File());
    EXPECT_TRUE(promises::LimitsAboveFloors(limits));
    // The page shows no speed below 1 m/s, nor a negative one.
    for (int gear = 1; gear <= LimitedGearCount; ++gear)
      EXPECT_THAT(ValueOf("Gear " + std::to_string(gear)), Not(HasSubstr("~y~0.")));
    Tap(F2);
  }
  // Gear 2 No Limit: gear 3 stops a step above gear 1, and in gear 3 the
  // banner says so.
  Restart(host, "Gear2=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 3");
  for (int press = 0; press < 120; ++press) Tap(Left);
  EXPECT_EQ(ValueOf("Gear 3"), "~y~10.00 ~w~m/s  ~c~22 mph");
  EXPECT_THAT(File(), HasSubstr("Gear3=9.9978\n"));
}

TEST_F(MenuTest, ASpeedOfTenThousandAndMoreIsSavedAsThePageShowsIt) {
  Restart(host, "Gear1=12345.6\nGear2=100000\nGear3=100005\nGear4=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 3");
  for (int press = 0; press < 40; ++press) Tap(Left);
  MoveTo("Gear 1");
  Tap(Right);
  Tap(F2);
  EXPECT_THAT(File(), HasSubstr("Gear1=12345.877\nGear2=100000\nGear3=100000.28\nGear4=inf\n"));
  EXPECT_TRUE(promises::LimitsAboveFloors(promises::FileGearLimits(File())));
  // Read again, the page shows what it showed before.
  Restart(host, File());
  Frame();
  GoToGearSpeeds();
  EXPECT_EQ(ValueOf("Gear 3"), "~y~100000.28 ~w~m/s  ~c~223700 mph");
  EXPECT_EQ(ValueOf("Gear 1"), "~y~12345.88 ~w~m/s  ~c~27617 mph");
}

TEST_F(MenuTest, LimitsOfThousandsAndMillionsKeepTheirFloorsThroughTheFileAndEveryPressMovesThem) {
  // A No Limit gear 2 lowered over a gear 1 between hundredths: a start
  // later, gear 2 is still a step above gear 1.
  Restart(host, "Gear1=1000.005\nGear2=inf\n");
  Frame();
  GoToGearSpeeds();
  MoveTo("Gear 2");
  Tap(Left);
  Restart(host, File());
  EXPECT_TRUE(promises::LimitsAboveFloors(promises::FileGearLimits(File())));
  // Where a step is too small to change a limit, a press moves it by the
  // least it can move, and a push still keeps gears apart.
  Restart(host, "Gear1=9000000\nGear2=9000001\nGear3=inf\nGear4=inf\n");
  Frame();
  GoToGearSpeeds();
  Tap(Right);
  EXPECT_THAT(File(), HasSubstr("Gear1=9000001\nGear2=9000002\n"));
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000002\n"));
  MoveTo("Gear 2");
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000001\n"));
  Tap(Left);  // at its floor
  EXPECT_THAT(File(), HasSubstr("Gear1=9e+06\nGear2=9000001\n"));
}

}  // namespace
