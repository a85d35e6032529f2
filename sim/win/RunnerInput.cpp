// Playthroughs of input and seats: the pad in slot 0 and slot 1, a passenger.
#include "RunnerScenarios.h"
#include "RunnerSession.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace runner {

void Pad(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  session.host.input.padConnected = true;
  session.Frame();

  // The menu on the pad: D-pad to "Engine Toggle", A to capture, the right
  // trigger counts only above 30.
  session.Tap(VK_F2);
  for (int i = 0; i < RowOf("Engine Toggle"); ++i) session.TapPad(XINPUT_GAMEPAD_DPAD_DOWN);
  session.TapPad(XINPUT_GAMEPAD_A);
  session.TapRightTrigger(30);
  Check(ReadFile(folder / "Halvane.ini").find("Engine=G\r\n") != std::string::npos,
        "a trigger at 30 is not captured");
  session.TapRightTrigger(31);
  Check(ReadFile(folder / "Halvane.ini").find("Engine=PAD_RT\r\n") != std::string::npos,
        "a trigger at 31 is captured for the engine");
  // Two rows down to "Gear Up", and pad X for it; B closes the menu.
  for (int i = RowOf("Engine Toggle"); i < RowOf("Gear Up"); ++i) session.TapPad(XINPUT_GAMEPAD_DPAD_DOWN);
  session.TapPad(XINPUT_GAMEPAD_A);
  session.TapPad(XINPUT_GAMEPAD_X);
  Check(ReadFile(folder / "Halvane.ini").find("GearUp=PAD_X\r\n") != std::string::npos,
        "pad X is captured for the gear up");
  session.TapPad(XINPUT_GAMEPAD_B);
  Check(!session.Drew("~y~Halvane~w~ | Keybindings"), "pad B closes the menu");

  // The pad bindings in play.
  const std::int32_t car = game.SpawnVehicle(false);
  game.Enter(car);
  session.Frame();
  session.TapRightTrigger(30);
  Check(!game.Vehicle(car).engineRunning, "a trigger at 30 leaves the engine off");
  session.TapRightTrigger(31);
  Check(game.Vehicle(car).engineRunning, "a trigger at 31 starts the engine");
  session.TapPad(XINPUT_GAMEPAD_X);
  session.host.input.padButtons = 0;
  game.Vehicle(car).velocity = {30.0F, 0.0F, 0.0F};
  session.Frame();
  Check(session.Drew("~o~GEAR 2  ~w~| Max ~y~40 mph") && game.Vehicle(car).velocity.x == 18.06F,
        "pad X shifts up to gear 2");

  // A pad in slot 1 alone is not the player's pad.
  padSlot = 1;
  session.TapPad(XINPUT_GAMEPAD_X);
  session.TapRightTrigger(255);
  game.Vehicle(car).velocity = {30.0F, 0.0F, 0.0F};
  session.Frame();
  Check(game.Vehicle(car).engineRunning && game.Vehicle(car).velocity.x == 18.06F,
        "buttons and triggers of a pad in slot 1 change nothing");
  padSlot = 0;
  session.Finish();
}

void Passenger(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  session.Frame();
  // A taxi: its driver at the wheel, the player behind.
  const std::int32_t taxi = game.SpawnVehicle(true);
  game.Vehicle(taxi).otherDriver = 0x3001;
  game.Enter(taxi, 1);
  game.Vehicle(taxi).velocity = {20.0F, 0.0F, 0.0F};
  session.Frame();
  session.Tap('G');
  session.Tap('3');
  Check(game.Vehicle(taxi).velocity.x == 20.0F, "a passenger's gear 1 does not hold the driver");
  Check(game.Vehicle(taxi).engineRunning, "a passenger's engine key leaves the driver's engine alone");
  Check(!session.Drew("~r~GEAR 1  ~w~| Max ~y~21 mph") && !session.Drew("~o~GEAR 2  ~w~| Max ~y~40 mph"),
        "no gear banner in the back seat");
  float field;
  std::memcpy(&field, game.Vehicle(taxi).memory.data() + LimiterOffset, sizeof field);
  Check(field == 0.0F, "no limiter field written for a passenger");
  // Moved over to the wheel of the stopped car: the player's, in gear 1.
  game.Vehicle(taxi).otherDriver = 0;
  game.Vehicle(taxi).velocity = {};
  game.Enter(taxi);
  session.Frame();
  game.Vehicle(taxi).velocity = {20.0F, 0.0F, 0.0F};
  session.Frame();
  Check(game.Vehicle(taxi).velocity.x == 9.72F && session.Drew("~r~GEAR 1  ~w~| Max ~y~21 mph"),
        "at the wheel gear 1 holds the car at 9.72 m/s and shows");
  session.Tap('G');
  Check(!game.Vehicle(taxi).engineRunning, "at the wheel the engine key stops the engine");
  // In the passenger seat of a parked car of the traffic, whose wheel the
  // game fills with a stranger for whoever asks who sits there.
  const std::int32_t parked = game.SpawnVehicle(false);
  game.Enter(parked, 0);
  session.Frame();
  session.Tap('G');
  Check(game.Vehicle(parked).otherDriver == 0, "no stranger is seated at the wheel of a parked car");
  session.Finish();
}

}  // namespace runner
