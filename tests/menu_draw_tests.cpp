// The menu's drawing, the capture's scan order, and limits too large to show.
#include "MenuPlaythrough.h"

namespace {

TEST_F(MenuTest, ThePanelIsDrawnWhereItsTablesSay) {
  Open();
  // The title bar, a bar for each row (its label 0.014 above the bar's
  // centre), and the footer's bar below the last row.
  const auto& rects = host.game.rects;
  ASSERT_EQ(rects.size(), 1U + static_cast<std::size_t>(KeybindingRowCount) + 1U);
  EXPECT_THAT(rects[0].colour, ElementsAre(30, 30, 30, 220));
  EXPECT_NEAR(Drawn("Safety Toggle")->y, 0.26F, 1e-6);
  EXPECT_NEAR(rects[1].y, 0.274F, 1e-6);
  EXPECT_THAT(rects[1].colour, ElementsAre(60, 60, 60, 200));  // selected
  for (std::int32_t row = 1; row < KeybindingRowCount; ++row) {
    const auto& bar = rects[static_cast<std::size_t>(row) + 1];
    EXPECT_NEAR(bar.y - rects[static_cast<std::size_t>(row)].y, 0.048F, 1e-6) << row;
    EXPECT_THAT(bar.colour, ElementsAre(20, 20, 20, 200)) << row;
  }
  const auto& lastBar = rects[static_cast<std::size_t>(KeybindingRowCount)];
  EXPECT_NEAR(Drawn("Gear Speeds")->y, lastBar.y - 0.014F, 1e-6);
  EXPECT_NEAR(rects.back().y - lastBar.y, 0.056F, 1e-6);
  EXPECT_EQ(rects.back().height, 0.045F);
  const sim::DrawnText* footer = Drawn("~y~UP/DOWN~w~ Nav  ~y~ENTER~w~ Select  ~y~BACK~w~ Close");
  ASSERT_NE(footer, nullptr);
  EXPECT_NEAR(footer->x, 0.038F, 1e-6);
  EXPECT_NEAR(rects.back().y - footer->y, 0.016F, 1e-6);
  EXPECT_EQ(footer->style.scaleX, 0.25F);
  EXPECT_NEAR(ValueText("Safety Toggle")->x, 0.2F, 1e-6);
  EXPECT_THAT(ValueText("Safety Toggle")->style.colour, ElementsAre(180, 220, 255, 255));
  EXPECT_NEAR(Drawn("Gear System")->x, 0.055F, 1e-6);
  EXPECT_EQ(ValueOf("Gear System"), "~g~[ON]");
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~r~[OFF]");
  EXPECT_THAT(ValueText("Hide Ammo Counter")->style.colour, ElementsAre(255, 100, 100, 255));
  EXPECT_NEAR(ValueText("Gear Speeds")->x, 0.185F, 1e-6);
  EXPECT_EQ(ValueOf("Gear Speeds"), "[ ENTER ]");
  for (const auto& text : host.game.texts) EXPECT_FALSE(text.style.centred) << text.text;

  Tap(Up);
  Tap(Enter);
  const char* const values[] = {"~y~9.72 ~w~m/s  ~c~21 mph", "~y~18.06 ~w~m/s  ~c~40 mph",
                                "~y~26.39 ~w~m/s  ~c~59 mph", "~y~34.72 ~w~m/s  ~c~77 mph"};
  for (int gear = 0; gear < 4; ++gear) {
    const sim::DrawnText* value = TextAt(0.11F, 0.26F + 0.048F * static_cast<float>(gear));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text, values[gear]);
    EXPECT_EQ(value->style.scaleX, 0.33F);
  }
  EXPECT_EQ(TextAt(0.225F, 0.26F)->text, "~g~[+]");
  EXPECT_EQ(TextAt(0.252F, 0.26F)->text, "~r~[-]");
  EXPECT_EQ(TextAt(0.225F, 0.308F), nullptr);
  EXPECT_EQ(TextAt(0.11F, 0.452F)->text, "~b~No Limit~w~ (fixed)");
  EXPECT_EQ(TextAt(0.038F, 0.506F)->text,
            "~y~UP/DOWN~w~ Select  ~y~LEFT/RIGHT~w~ Adjust  ~y~BACK~w~ Keys Menu");
  EXPECT_NEAR(host.game.rects.back().y, 0.522F, 1e-6);
}

TEST(KeyCapture, TheScanOrderHoldsEightyOneCodesInTheirGroups) {
  EXPECT_EQ(CaptureScanOrder.front(), 48);
  EXPECT_EQ(CaptureScanOrder[42], 90);
  EXPECT_EQ(CaptureScanOrder[43], 112);
  EXPECT_EQ(CaptureScanOrder[55], 96);
  EXPECT_EQ(CaptureScanOrder[65], 5);
  EXPECT_EQ(CaptureScanOrder[67], 258);
  EXPECT_EQ(CaptureScanOrder.back(), 271);
  for (KeyCode never : {256, 257, 13, 8, 32, 37, 38, 39, 40, 1, 2, 4, 16, 17, 18, 27, 9}) {
    EXPECT_EQ(std::count(CaptureScanOrder.begin(), CaptureScanOrder.end(), never), 0) << never;
  }
}

class HugeLimitsTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    host.Unload();
    std::ofstream(host.Folder() / "Halvane.ini") << "Gear1=3.4e38\nGear2=inf\nGear3=nan\nGear4=-3e38\n";
    host.Load();
  }
};

TEST_F(HugeLimitsTest, HugeOrUnreadableLimitsAreShownCutAndNeverOverflow) {
  Open();
  Tap(Up);
  Tap(Enter);
  // Limits without a miles-per-hour figure limit nothing, and say so.
  EXPECT_EQ(TextAt(0.11F, 0.26F)->text, "No Limit");
  EXPECT_EQ(TextAt(0.11F, 0.308F)->text, "No Limit");
  // Not a number and a negative limit are bad lines: the defaults stay.
  EXPECT_EQ(TextAt(0.11F, 0.356F)->text, "~y~26.39 ~w~m/s  ~c~59 mph");
  EXPECT_EQ(TextAt(0.11F, 0.404F)->text, "~y~34.72 ~w~m/s  ~c~77 mph");
}

}  // namespace
