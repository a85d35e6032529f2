// Playthroughs of the settings menu: opening and closing, moving between rows
// and pages, and each pass drawing the menu as it stood before its input.
#include "MenuPlaythrough.h"

namespace {

TEST_F(MenuTest, TheMenuKeyOpensAndClosesAndNoFeatureRunsWhileOpen) {
  constexpr std::uint32_t Pistol = 0x1B06D571;
  host.game.GiveWeapon(Pistol, 12, 12, 60);
  host.game.Draw(Pistol);
  host.game.character.wantedLevel = 2;
  Frame();

  Hold(F2);
  Frame();
  EXPECT_THAT(Sounds(), ElementsAre("CONTINUE"));
  EXPECT_TRUE(TextAt(0.04F, 0.182F) != nullptr);  // drawn on the very pass it opens
  EXPECT_EQ(TextAt(0.04F, 0.182F)->text, "~y~Halvane~w~ | Keybindings");
  EXPECT_FALSE(FeaturesRan());
  Frame();  // held: stays open
  Release(F2);
  for (KeyCode feature : {'T', 'Y', 'G', '3'}) {
    Tap(feature);
    EXPECT_FALSE(FeaturesRan());
  }
  // The menu pass only reads the game, to keep its records true, and draws.
  using namespace sim::native;
  for (const auto& call : host.frameCalls) {
    const bool reads = call.hash == PlayerCharacter || call.hash == CurrentWeapon ||
                       call.hash == EntityExists || call.hash == EntityIsDead ||
                       call.hash == IsInAnyVehicle || call.hash == GetAmmoInClip || call.hash == GetTotalAmmo;
    EXPECT_TRUE(reads || call.hash == DrawRectangle ||
                host.game.NameOf(call.hash).find("text") != std::string::npos)
        << host.game.NameOf(call.hash);
  }
  EXPECT_FALSE(host.game.character.handsUp);
  EXPECT_EQ(host.game.character.wantedLevel, 2);

  Hold(F2);
  Frame();  // the closing pass runs every feature
  EXPECT_THAT(Sounds(), ElementsAre("BACK"));
  EXPECT_TRUE(FeaturesRan());
  EXPECT_LT(MarkerY(), 0.0F);
  Release(F2);
  Frame();

  Open();
  Hold(Backspace);
  Frame();  // Back closes from the next pass on
  EXPECT_THAT(Sounds(), ElementsAre("BACK"));
  EXPECT_FALSE(FeaturesRan());
  Frame();
  EXPECT_TRUE(FeaturesRan());
}

TEST_F(MenuTest, SelectionWrapsAroundOnBothPages) {
  Open();
  EXPECT_EQ(Selected(), "Safety Toggle");
  Tap(Up);
  EXPECT_EQ(Selected(), "Gear Speeds");
  Tap(Down);
  EXPECT_EQ(Selected(), "Safety Toggle");
  Hold(Down);
  Frame();
  Frame();  // no repeat while held
  Release(Down);
  EXPECT_EQ(Selected(), "Menu Key");

  Tap(Up);
  Tap(Up);  // round to "Gear Speeds"
  Tap(Enter);
  EXPECT_EQ(TextAt(0.04F, 0.182F)->text, "~y~Halvane~w~ | Gear Speeds");
  EXPECT_EQ(Selected(), "Gear 1");
  Tap(Up);
  EXPECT_EQ(Selected(), "Gear 4");
  Hold(Down);
  Frame();
  EXPECT_THAT(Sounds(), ElementsAre("NAV_UP_DOWN"));
  Release(Down);
  Frame();
  EXPECT_EQ(Selected(), "Gear 1");

  Tap(Backspace);  // back to the keys, "Gear Speeds" still selected
  EXPECT_EQ(Selected(), "Gear Speeds");
}

TEST_F(MenuTest, EachPassDrawsTheMenuAsItStoodBeforeThatPassesInput) {
  Open();
  Hold(Down);
  Frame();
  EXPECT_EQ(Selected(), "Safety Toggle");  // the press shows on the next frame
  Release(Down);
  Frame();
  EXPECT_EQ(Selected(), "Menu Key");

  Hold(Enter);  // "Menu Key": a capture starts
  Frame();
  EXPECT_EQ(ValueOf("Menu Key"), "[F2]");
  Release(Enter);
  Frame();
  EXPECT_THAT(ValueOf("Menu Key"), HasSubstr("[...]"));
  Tap(Backspace);

  Tap(Up);
  Tap(Up);  // "Gear Speeds"
  Tap(Enter);
  Hold(Right);
  Frame();
  EXPECT_EQ(ValueOf("Gear 1"), "~y~9.72 ~w~m/s  ~c~21 mph");
  Release(Right);
  Frame();
  EXPECT_EQ(ValueOf("Gear 1"), "~y~10.00 ~w~m/s  ~c~22 mph");
}

}  // namespace
