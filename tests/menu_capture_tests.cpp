// Playthroughs of key capture: pad and keyboard, Back, closing the menu, keys
// without a name and the menu key itself.
#include "MenuPlaythrough.h"

namespace {

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

}  // namespace

namespace {

TEST_F(MenuTest, ACaptureWhosePassThrowsIsSavedAndItsPressMovesNothing) {
  host.input.padConnected = true;
  Open();
  MoveTo("Gear Up");
  Tap(Enter);
  host.throwingNative = sim::native::PostNotification;
  Tap('K');
  host.throwingNative = 0;
  EXPECT_EQ(ValueOf("Gear Up"), "[K]");
  EXPECT_THAT(File(), HasSubstr("GearUp=K\n"));

  // D-pad Down captured on a pass that throws: the marker stays.
  const float gearUpRow = MarkerY();
  Tap(Enter);
  host.throwingNative = sim::native::PostNotification;
  host.input.padButtons = 0x0002;
  Frame();
  host.throwingNative = 0;
  Frame();
  Frame();
  host.input.padButtons = 0;
  Frame();
  EXPECT_EQ(Selected(), "Gear Up");
  EXPECT_NEAR(MarkerY(), gearUpRow, 1e-6);
  EXPECT_THAT(File(), HasSubstr("GearUp=PAD_DPAD_DOWN\n"));

  // Both last: read again after a reload.
  host.Unload();
  host.Load();
  Frame();
  Open();
  EXPECT_EQ(ValueOf("Gear Up"), "[PAD_DPAD_DOWN]");
}

}  // namespace
