// Playthroughs of the settings menu: opening and closing, navigation, the
// switches, gear speed adjustments, key capture, and what it draws.
#include "Playthrough.h"
#include "config/Config.h"
#include "menu/KeyCapture.h"
#include "menu/Menu.h"

#include <gmock/gmock.h>

#include <sys/stat.h>
#include <cmath>
#include <fstream>
#include <sstream>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

constexpr KeyCode F2 = 0x71;
constexpr KeyCode F5 = 0x74;
constexpr KeyCode Backspace = 0x08;
constexpr KeyCode Enter = 0x0D;
constexpr KeyCode Left = 0x25;
constexpr KeyCode Up = 0x26;
constexpr KeyCode Right = 0x27;
constexpr KeyCode Down = 0x28;

class MenuTest : public Playthrough {
 protected:
  std::vector<std::string> Sounds() const {
    std::vector<std::string> names;
    for (const auto& sound : host.game.frontendSounds) names.push_back(sound.name);
    return names;
  }
  // The text drawn at the marker's row, or "" when no marker is drawn.
  float MarkerY() const {
    for (const auto& text : host.game.texts) {
      if (text.text == "~y~>") return text.y;
    }
    return -1.0F;
  }
  const sim::DrawnText* TextAt(float x, float y) const {
    for (const auto& text : host.game.texts) {
      if (std::fabs(text.x - x) < 1e-5F && std::fabs(text.y - y) < 1e-5F) return &text;
    }
    return nullptr;
  }
  std::string File() const {
    std::ifstream file(host.Folder() / "Halvane.ini");
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }
  ino_t FileIdentity() const {
    struct stat info {};
    stat((host.Folder() / "Halvane.ini").c_str(), &info);
    return info.st_ino;
  }
  // The menu as a player reads it, found by the labels drawn this frame
  // rather than by where rows stand, so that a new row changes no test.
  const sim::DrawnText* Drawn(const std::string& text) const {
    for (const auto& drawn : host.game.texts) {
      if (drawn.text == text) return &drawn;
    }
    return nullptr;
  }
  // The text on `label`'s row right beside it: its key, switch or speed.
  const sim::DrawnText* ValueText(const std::string& label) const {
    const sim::DrawnText* row = Drawn(label);
    const sim::DrawnText* value = nullptr;
    for (const auto& text : host.game.texts) {
      if (row != nullptr && text.y == row->y && text.x > row->x && (value == nullptr || text.x < value->x)) {
        value = &text;
      }
    }
    return value;
  }
  std::string ValueOf(const std::string& label) const {
    const sim::DrawnText* value = ValueText(label);
    return value != nullptr ? value->text : "<no value beside \"" + label + "\">";
  }
  // The label of the row the marker stands on; "" with no marker.
  std::string Selected() const {
    const sim::DrawnText* marker = Drawn("~y~>");
    const sim::DrawnText* label = nullptr;
    for (const auto& text : host.game.texts) {
      if (marker != nullptr && text.y == marker->y && text.x > marker->x &&
          (label == nullptr || text.x < label->x)) {
        label = &text;
      }
    }
    return label != nullptr ? label->text : "";
  }
  // Down until the row labelled `label` is selected.
  void MoveTo(const std::string& label) {
    for (int press = 0; press < 32 && Selected() != label; ++press) Tap(Down);
    ASSERT_EQ(Selected(), label);
  }
  bool FeaturesRan() const {
    for (const auto& call : host.frameCalls) {
      if (call.hash == sim::native::EntityExists) return true;  // the vehicle block's guard
    }
    return false;
  }
  void Open() {
    Tap(F2);
    ASSERT_TRUE(MarkerY() > 0.0F);
  }
  void GoToGearSpeeds() {
    Open();
    Tap(Up);  // round to the last row
    ASSERT_EQ(Selected(), "Gear Speeds");
    Tap(Enter);
  }
};

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
  for (const auto& call : host.frameCalls) {
    EXPECT_TRUE(call.hash == sim::native::PlayerCharacter || call.hash == sim::native::CurrentWeapon ||
                call.hash == sim::native::DrawRectangle ||
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

TEST_F(MenuTest, LoweringGearTwoThirtyTimesStopsOneStepAboveGearOne) {
  GoToGearSpeeds();
  Tap(Down);
  for (int press = 0; press < 30; ++press) {
    const ino_t before = FileIdentity();
    Tap(Left);
    ASSERT_NE(FileIdentity(), before) << "press " << press;  // rewritten every time
  }
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=9.9978\nGear3=26.39\n"));
  EXPECT_EQ(ValueOf("Gear 2"), "~y~10.00 ~w~m/s  ~c~22 mph");
  Hold(Right);
  Frame();
  Frame();  // one step per press
  EXPECT_THAT(File(), HasSubstr("Gear2=10.2756\n"));
}

TEST_F(MenuTest, AKeyHeldActsOnceWhateverEndsThePass) {
  GoToGearSpeeds();
  const auto saves = [&] {
    return std::count_if(host.fileLog.begin(), host.fileLog.end(),
                         [](const std::string& entry) { return entry.starts_with("move "); });
  };
  const auto before = saves();
  // The sound after each change throws: those passes end there.
  host.throwingNative = sim::native::PlayFrontendSound;
  Hold(Right);
  Frame();
  Frame();
  Frame();
  host.throwingNative = 0;
  Frame();
  Release(Right);
  Frame();
  EXPECT_THAT(File(), HasSubstr("Gear1=9.9978\n"));  // one step
  EXPECT_EQ(saves(), before + 1);
  // Down taken while a pass threw moves the marker once.
  host.throwingNative = sim::native::PlayFrontendSound;
  Hold(Down);
  Frame();
  Frame();
  host.throwingNative = 0;
  Frame();
  Release(Down);
  Tap(Right);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.9978\nGear2=18.3378\n"));
}

TEST_F(MenuTest, ASaveThatFailsIsToldOncePerOpeningAndTheChangeHolds) {
  constexpr const char* Unsaved = "Halvane.ini could not be saved: changes last until the game closes";
  // A file that cannot be read (a link to itself) is never written.
  std::filesystem::create_symlink("Halvane.ini", host.Folder() / "Halvane.ini");
  Frame();
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved));
  Tap(Enter);
  Tap(Enter);
  MoveTo("Gear Up");
  Tap(Enter);  // a capture
  Tap('K');
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved, "Key set to: K"));
  Tap(F2);
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));  // the change holds for the run
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(host.game.notifications, ElementsAre(Unsaved, "Key set to: K", Unsaved));
  EXPECT_TRUE(std::filesystem::is_symlink(host.Folder() / "Halvane.ini"));

  // Once the file can be read and written, a save says nothing.
  std::filesystem::remove(host.Folder() / "Halvane.ini");
  Tap(F2);
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("GearSystem=0\n"));
  EXPECT_EQ(host.game.notifications.size(), 3U);
}

TEST_F(MenuTest, ChangesMadeWhileTheFileCouldNotBeReadStayWhenItCanBe) {
  const std::filesystem::path file = host.Folder() / "Halvane.ini";
  std::filesystem::create_symlink("Halvane.ini", file);  // cannot be read
  Frame();
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  MoveTo("Gear Speeds");
  Tap(Enter);
  MoveTo("Gear 2");
  Tap(Right);  // a step up
  Tap(F2);

  // The lock goes: the file's settings apply to the rest, the player's stay.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F5\nEngine=H\nHideAmmoHud=0\nGear1=12.5\nGear2=20\n";
  Open();
  Tap(F5);  // the file's menu key closes it
  EXPECT_EQ(MarkerY(), -1.0F);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  EXPECT_THAT(File(), HasSubstr("Gear1=12.5\nGear2=18.3378\n"));
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));

  // A file nobody changed anything over is left byte for byte.
  host.Unload();
  const std::string mine = "; mine\nMenu=F5\n";
  std::filesystem::remove(file);
  std::filesystem::create_symlink("Halvane.ini", file);
  host.Load();
  Frame();
  std::filesystem::remove(file);
  std::ofstream(file) << mine;
  Tap(F2);
  Frame();
  EXPECT_EQ(File(), mine);
}

TEST_F(MenuTest, GearSpeedRulesKeepTheGearsInOrder) {
  // These run on this program's own copy of the settings record.
  Config = DefaultConfig;
  while (Config.GearSpeeds[2] < DefaultConfig.GearSpeeds[3]) RaiseGearSpeed(3);
  EXPECT_EQ(Config.GearSpeeds[3], Config.GearSpeeds[2] + GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[1], DefaultConfig.GearSpeeds[1]);

  Config.GearSpeeds[0] = 1.2F;
  LowerGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[0], 1.0F);
  LowerGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[0], 1.0F);

  // A limit loaded out of order is put right by the next adjustment of any gear.
  Config = DefaultConfig;
  Config.GearSpeeds[2] = 5.0F;
  LowerGearSpeed(4);
  EXPECT_EQ(Config.GearSpeeds[2], Config.GearSpeeds[1] + GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[3], 34.72F - GearSpeedStep);
  EXPECT_EQ(Config.GearSpeeds[4], 9999.0F);
}

TEST_F(MenuTest, LeftGivesANoLimitGearAFigureAndNoPressTakesOneAway) {
  std::ofstream(host.Folder() / "Halvane.ini") << "Gear1=inf\nGear3=inf\n";
  Frame();
  GoToGearSpeeds();
  const auto noLimits = [&] {
    return std::count_if(host.game.texts.begin(), host.game.texts.end(),
                         [](const sim::DrawnText& text) { return text.text == "No Limit"; });
  };
  EXPECT_EQ(noLimits(), 2);

  // Right on a No Limit gear changes no limit, and saves as at a floor.
  ino_t before = FileIdentity();
  Tap(Right);
  EXPECT_NE(FileIdentity(), before);
  EXPECT_THAT(File(), HasSubstr("Gear1=inf\nGear2=18.06\nGear3=inf\nGear4=34.72\n"));

  // Left gives gear 1 its default and leaves every other limit alone.
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=18.06\nGear3=inf\nGear4=34.72\n"));
  EXPECT_EQ(noLimits(), 1);
  // Gear 3: one step above gear 2, with gear 4 above it as it was.
  Tap(Down);
  Tap(Down);
  Tap(Left);
  EXPECT_THAT(File(), HasSubstr("Gear1=9.72\nGear2=18.06\nGear3=18.3378\nGear4=34.72\n"));
  EXPECT_EQ(noLimits(), 0);

  // No Limit below a gear never pushes it: lowering gear 2 under a No Limit
  // gear 1 lowers gear 2 alone.
  Config = DefaultConfig;
  Config.GearSpeeds[0] = INFINITY;
  LowerGearSpeed(2);
  EXPECT_EQ(Config.GearSpeeds[1], 18.06F - GearSpeedStep);
  RaiseGearSpeed(1);
  EXPECT_EQ(Config.GearSpeeds[1], 18.06F - GearSpeedStep);
  EXPECT_TRUE(std::isinf(Config.GearSpeeds[0]));
  // Every gear without a figure: Left gives each its default.
  Config.GearSpeeds = {INFINITY, INFINITY, INFINITY, INFINITY, 9999.0F};
  LowerGearSpeed(3);
  EXPECT_EQ(Config.GearSpeeds[2], DefaultConfig.GearSpeeds[2]);
  EXPECT_TRUE(std::isinf(Config.GearSpeeds[3]));
}

TEST_F(MenuTest, TheSwitchRowsToggleAndSave) {
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  EXPECT_THAT(Sounds(), IsEmpty());  // the Select sound played on the press
  EXPECT_EQ(ValueOf("Hide Ammo Counter"), "~g~[ON]");
  Tap(F2);
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));

  // Gear System off keeps the gear; back on puts it in gear 1.
  const std::int32_t car = host.game.SpawnVehicle(true);
  host.game.Enter(car);
  Frame();
  Tap('3');
  Tap('3');
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("GearSystem=0\n"));
  Tap(F2);
  EXPECT_THAT(host.game.rects, IsEmpty());
  Open();
  MoveTo("Gear System");
  Tap(Enter);
  Tap(F2);
  bool gearOneShown = false;
  for (const auto& text : host.game.texts) gearOneShown |= text.text == "1" && text.style.scaleX == 0.5F;
  EXPECT_TRUE(gearOneShown);
}

TEST_F(MenuTest, AFileThatCouldNotBeReadIsNeverWrittenAndIsTriedAgainOnOpening) {
  const auto file = host.Folder() / "Halvane.ini";
  std::filesystem::create_symlink("Halvane.ini", file);  // a name that cannot be read
  Frame();
  Open();
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(F2);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));  // in force for the run

  // The file can be read now: the next opening reads it, keeps the change
  // made meanwhile and saves the whole record; saving works again.
  std::filesystem::remove(file);
  std::ofstream(file) << "Menu=F5\nEngine=H\nGear1=12.5\n";
  Tap(F2);
  EXPECT_TRUE(MarkerY() > 0.0F);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=1\n"));
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  EXPECT_THAT(File(), HasSubstr("Menu=F5\nEngine=H\n"));
  EXPECT_THAT(File(), HasSubstr("HideAmmoHud=0\n"));
  EXPECT_THAT(File(), HasSubstr("Gear1=12.5\n"));
  Tap(F5);
  EXPECT_FALSE(MarkerY() > 0.0F);
}

TEST_F(MenuTest, AHugeSettingsFileIsLeftAloneAndTheGameGoesOn) {
  const auto file = host.Folder() / "Halvane.ini";
  constexpr std::uintmax_t Size = 12ULL << 30;  // 12 GiB, sparse
  { std::ofstream(file) << "Menu=F5\n"; }
  std::filesystem::resize_file(file, Size);
  Frame();
  Open();  // F2: the defaults hold
  MoveTo("Hide Ammo Counter");
  Tap(Enter);
  Tap(F2);  // tried again on the opening, still too large
  EXPECT_EQ(std::filesystem::file_size(file), Size);
  char start[8] = {};
  std::ifstream(file).read(start, sizeof start);
  EXPECT_EQ(std::string(start, 8), "Menu=F5\n");
  EXPECT_THAT(host.game.hiddenHud, ElementsAre(2, 20));
  EXPECT_FALSE(std::filesystem::exists(host.Folder() / "Halvane.ini.tmp"));
}

TEST_F(MenuTest, ACaptureBindsThePadAndPostsTheName) {
  host.input.padConnected = true;
  Open();
  MoveTo("Gear Up");
  Hold(Enter);
  Frame();
  EXPECT_THAT(Sounds(), ElementsAre("SELECT"));
  Frame();  // drawn before the input of a pass: the capture shows from the next
  const std::uint32_t blink = host.input.tick / 400 % 2;
  EXPECT_EQ(ValueOf("Gear Up"), blink == 1 ? "~o~[...]" : "~r~[...]");
  Frame(400);
  EXPECT_EQ(ValueOf("Gear Up"), blink == 1 ? "~r~[...]" : "~o~[...]");
  EXPECT_EQ(ValueOf("Safety Toggle"), "[T]");  // the other rows show their keys
  Release(Enter);                              // Enter and pad A are never captured
  host.input.padButtons = 0x4000;              // pad X
  Frame();
  host.input.padButtons = 0;
  EXPECT_THAT(File(), HasSubstr("GearUp=PAD_X\n"));
  EXPECT_THAT(host.game.notifications, ElementsAre("Key set to: PAD_X"));
  EXPECT_THAT(Sounds(), IsEmpty());
  Frame();
  EXPECT_EQ(ValueOf("Gear Up"), "[PAD_X]");

  // The D-pad binds during a capture instead of moving the selection.
  Tap(Down);  // "Gear Down"
  Tap(Enter);
  host.input.padButtons = 0x0001;
  Frame();
  host.input.padButtons = 0;
  EXPECT_THAT(File(), HasSubstr("GearDown=PAD_DPAD_UP\n"));
  EXPECT_EQ(Selected(), "Gear Down");
}

TEST_F(MenuTest, ThePressACaptureTakesDoesNothingElseInTheMenu) {
  host.input.padConnected = true;
  Open();
  MoveTo("Gear Up");
  const float gearUpRow = MarkerY();
  host.input.padButtons = 0x1000;  // pad A starts the capture
  Frame();
  host.input.padButtons = 0;
  Frame();
  // D-pad Down held for an ordinary press of three frames.
  host.input.padButtons = 0x0002;
  Frame();
  Frame();
  Frame();
  host.input.padButtons = 0;
  Frame();
  EXPECT_THAT(File(), HasSubstr("GearUp=PAD_DPAD_DOWN\n"));
  EXPECT_NEAR(MarkerY(), gearUpRow, 1e-6);
  EXPECT_THAT(Sounds(), IsEmpty());

  // D-pad Up for "Gear Down", held long: still no move, and the next press
  // of Down moves on as usual.
  Tap(Down);
  const float gearDownRow = MarkerY();
  Tap(Enter);
  host.input.padButtons = 0x0001;
  for (int i = 0; i < 10; ++i) Frame();
  host.input.padButtons = 0;
  Frame();
  EXPECT_THAT(File(), HasSubstr("GearDown=PAD_DPAD_UP\n"));
  EXPECT_NEAR(MarkerY(), gearDownRow, 1e-6);
  Tap(Down);
  EXPECT_GT(MarkerY(), gearDownRow);
}

TEST_F(MenuTest, BackEndsACaptureSilentlyAndTheDigitBeatsTheLetter) {
  Open();
  Tap(Enter);  // capture "Safety Toggle"
  Tap(Backspace);
  EXPECT_THAT(Sounds(), IsEmpty());
  EXPECT_EQ(ValueOf("Safety Toggle"), "[T]");
  Tap(Backspace);  // now Back closes
  EXPECT_LT(MarkerY(), 0.0F);

  Open();
  Tap(Enter);
  Hold('K');
  Hold('7');
  Hold(0x77);  // F8
  Frame();
  EXPECT_THAT(File(), HasSubstr("SafetyToggle=7\n"));
  EXPECT_THAT(host.game.notifications, ElementsAre("Key set to: 7"));
}

TEST_F(MenuTest, ClosingTheMenuByAnyRouteEndsACaptureUnbound) {
  // Backspace and Enter on one pass on a binding row: the menu closes.
  Open();
  const std::string saved = File();
  Hold(Backspace);
  Hold(Enter);
  Frame();
  Release(Backspace);
  Release(Enter);
  Frame();
  EXPECT_LT(MarkerY(), 0.0F);
  // The next F2 opens the menu and binds nothing.
  Hold(F2);
  Frame();
  Frame();
  Release(F2);
  Frame();
  EXPECT_GT(MarkerY(), 0.0F);
  EXPECT_EQ(ValueOf("Safety Toggle"), "[T]");
  EXPECT_EQ(File(), saved);
  EXPECT_THAT(host.game.notifications, IsEmpty());
  Tap('K');
  EXPECT_EQ(File(), saved);
  Tap(F2);

  // The same with the pad's A and B.
  host.input.padConnected = true;
  Open();
  host.input.padButtons = 0x1000 | 0x2000;
  Frame();
  host.input.padButtons = 0;
  Frame();
  EXPECT_LT(MarkerY(), 0.0F);
  Hold(F2);
  Frame();
  Release(F2);
  host.input.padButtons = 0x4000;  // pad X, a button a capture would take
  Frame();
  host.input.padButtons = 0;
  EXPECT_GT(MarkerY(), 0.0F);
  EXPECT_EQ(File(), saved);
  EXPECT_THAT(host.game.notifications, IsEmpty());
}

TEST_F(MenuTest, AKeyWithoutANameIsNeverCaptured) {
  Open();
  Tap(Enter);  // capture "Safety Toggle"
  for (KeyCode unnamed = 58; unnamed <= 64; ++unnamed) Hold(unnamed);
  Frame();
  Frame();
  EXPECT_THAT(host.game.notifications, IsEmpty());
  EXPECT_THAT(File(), HasSubstr("SafetyToggle=T\n"));
  Hold('Q');  // still capturing: the next named key is taken
  Frame();
  EXPECT_THAT(host.game.notifications, ElementsAre("Key set to: Q"));
  EXPECT_THAT(File(), HasSubstr("SafetyToggle=Q\n"));
}

TEST_F(MenuTest, CapturingTheMenuKeyTakesEffectAtOnce) {
  Open();
  Tap(Down);  // "Menu Key"
  Tap(Enter);
  Hold(F5);
  Frame();  // captured
  EXPECT_THAT(File(), HasSubstr("Menu=F5\n"));
  Frame();  // F5 still held: it is now the menu key, and it closes the menu
  EXPECT_LT(MarkerY(), 0.0F);
  Release(F5);
  Tap(F2);
  EXPECT_LT(MarkerY(), 0.0F);
  Tap(F5);
  EXPECT_GT(MarkerY(), 0.0F);

  // The menu key during a capture closes the menu and is never captured.
  Tap(Enter);
  Tap(F5);
  EXPECT_LT(MarkerY(), 0.0F);
  EXPECT_THAT(File(), HasSubstr("SafetyToggle=T\n"));
  Tap(F5);
  EXPECT_EQ(ValueOf("Safety Toggle"), "[T]");
}

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
    const sim::DrawnText* value = TextAt(0.135F, 0.26F + 0.048F * static_cast<float>(gear));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text, values[gear]);
    EXPECT_EQ(value->style.scaleX, 0.33F);
  }
  EXPECT_EQ(TextAt(0.225F, 0.26F)->text, "~g~[+]");
  EXPECT_EQ(TextAt(0.252F, 0.26F)->text, "~r~[-]");
  EXPECT_EQ(TextAt(0.225F, 0.308F), nullptr);
  EXPECT_EQ(TextAt(0.135F, 0.452F)->text, "~b~No Limit~w~ (fixed)");
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
  EXPECT_EQ(TextAt(0.135F, 0.26F)->text, "No Limit");
  EXPECT_EQ(TextAt(0.135F, 0.308F)->text, "No Limit");
  // Not a number and a negative limit are bad lines: the defaults stay.
  EXPECT_EQ(TextAt(0.135F, 0.356F)->text, "~y~26.39 ~w~m/s  ~c~59 mph");
  EXPECT_EQ(TextAt(0.135F, 0.404F)->text, "~y~34.72 ~w~m/s  ~c~77 mph");
}

}  // namespace
