// Playthroughs of loading: load and unload, a full play, hot reloads, unloading
// while a clip plays.
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

namespace {

// The lowest free handle slot: Wine hands out the first free one, so handles
// that leak push it up.
std::uintptr_t HandleProbe() {
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const auto value = reinterpret_cast<std::uintptr_t>(probe);
  CloseHandle(probe);
  return value;
}

}  // namespace

void LoadAndUnload(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  const auto& calls = session.host.hostCalls;
  Check(calls.size() == 1 && calls[0].kind == sim::HostCallRecord::Kind::Register &&
            calls[0].module == session.host.Module(),
        "exactly one scriptRegister, with the DLL's own module handle");
  session.Frame();
  const HostModule module = session.host.Module();
  session.Finish();
  int registers = 0;
  int unregisters = 0;
  for (const auto& call : calls) {
    registers += call.kind == sim::HostCallRecord::Kind::Register;
    if (call.kind == sim::HostCallRecord::Kind::Unregister) {
      ++unregisters;
      Check(call.module == module, "scriptUnregister with the DLL's own module handle");
    }
  }
  Check(registers == 1 && unregisters == 1, "FreeLibrary brings exactly one scriptUnregister");
  Check(GetModuleHandleA("Halvane.asi") == nullptr, "the DLL has left the process");
}

void Playthrough(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  constexpr std::uint32_t Pistol = 0x1B06D571;
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  game.GiveWeapon(Pistol, 3, 12, 40);
  game.Draw(Pistol);
  game.Weapon(Pistol).clip = 3;
  session.Frame();

  // Safety on, and a dry click on the trigger.
  session.host.input.keys['T'] = true;
  session.Frame();
  session.host.input.keys['T'] = false;
  Check(session.Played(3692), "the safety switch clip plays from memory");
  Check(soundFlags == (SND_ASYNC | SND_MEMORY), "clips play with SND_ASYNC | SND_MEMORY");
  Check(session.Drew("~r~SAFETY ON  ~y~"), "the safety-on line shows");
  session.host.input.keys[VK_LBUTTON] = true;
  session.Frame();
  Check(session.Played(7568), "a trigger pull with the safety on clicks");
  Check(game.Weapon(Pistol).clip == 3, "nothing is fired with the safety on");
  session.host.input.keys[VK_LBUTTON] = false;
  session.Tap('T');

  // The magazine run down and reloaded with the key.
  session.host.input.keys[VK_LBUTTON] = true;
  for (int i = 0; i < 5; ++i) session.Frame();
  session.host.input.keys[VK_LBUTTON] = false;
  session.Frame();
  Check(game.Weapon(Pistol).clip == 1 && session.Drew("~o~EMPTY  ~y~[R]"),
        "the magazine is held at its last cartridge");
  session.Tap('R');
  session.Frame();
  Check(game.Weapon(Pistol).clip == 12, "the reload key has the game reload");

  // Into a car: engine on, shift, and the limiter with its field write.
  const std::int32_t car = game.SpawnVehicle(false);
  game.Enter(car);
  session.Frame();
  Check(!game.Vehicle(car).engineRunning && game.Vehicle(car).undriveable,
        "the engine stays off until switched on");
  session.Tap('G');
  Check(game.Vehicle(car).engineRunning, "G starts the engine");
  session.host.input.keys['3'] = true;
  session.Frame();
  Check(session.Played(50766), "shifting plays the gear clip");
  session.host.input.keys['3'] = false;
  game.Vehicle(car).velocity = {0.0F, 30.0F, 0.0F};
  session.Frame();
  Check(game.Vehicle(car).velocity.y == 18.06F, "gear 2 holds the car at 18.06 m/s");
  float field;
  std::memcpy(&field, game.Vehicle(car).memory.data() + LimiterOffset, sizeof field);
  Check(field == 0.6F, "the limiter field found in the game image holds 0.6");
  Check(session.Drew("~o~GEAR 2  ~w~| Max ~y~40 mph"), "the gear banner shows");

  // A menu change rewrites the file.
  session.Tap(VK_F2);
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  Check(ReadFile(folder / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "the menu's change is saved at once");
  session.Tap(VK_F2);
  Check(game.hiddenHud.count(20) == 1, "the ammo counter is hidden");
  session.Finish();
}

void HotReload(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  constexpr std::uint32_t Pistol = 0x1B06D571;
  // The game keeps the script host and these system libraries loaded; were
  // they loaded and unloaded with the plug-in, their own set-up would cost
  // handles on every cycle and hide the plug-in's.
  for (const char* library : {"user32.dll", "winmm.dll", "shell32.dll", "xinput1_4.dll"}) {
    LoadLibraryA(library);
  }
  DWORD handlesAt10 = 0;
  std::uintptr_t probeAt10 = 0;
  std::size_t memoryAt10 = 0;
  for (int cycle = 0; cycle < 100; ++cycle) {
    Session session(plugin, folder);
    if (!session.Load()) return;
    session.host.game.GiveWeapon(Pistol, 12, 12, 40);
    session.host.game.Draw(Pistol);
    session.Frame();
    session.Frame();
    // Every load starts from its defaults (no safety) and the saved file.
    Check(session.host.game.disabledControls.empty(),
          "cycle " + std::to_string(cycle) + " starts with no safety on");
    Check((cycle == 0) != (session.host.game.hiddenHud.count(20) == 1),
          "cycle " + std::to_string(cycle) + " reads the saved switch");
    session.Tap('T');
    if (cycle == 0) {
      std::ofstream(folder / "Halvane.ini", std::ios::binary) << "HideAmmoHud=1\r\n";
    }
    session.Finish();
    if (failures > 0) return;
    if (cycle == 9) {
      GetProcessHandleCount(GetCurrentProcess(), &handlesAt10);
      probeAt10 = HandleProbe();
      memoryAt10 = PrivateBytes();
    }
  }
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  const std::size_t memory = PrivateBytes();
  const std::uintptr_t probe = HandleProbe();
  std::printf("handle count %lu -> %lu, free handle slot %zu -> %zu, committed bytes %zu -> %zu\n",
              handlesAt10, handles, static_cast<std::size_t>(probeAt10), static_cast<std::size_t>(probe),
              memoryAt10, memory);
  Check(memoryAt10 > 0 && probeAt10 > 0, "the process's handles and memory can be measured");
  Check(handles <= handlesAt10 && probe <= probeAt10, "the handles do not grow over 90 reloads");
  Check(memory <= memoryAt10 + 4 * 1024 * 1024, "private memory does not grow over 90 reloads");
}

void UnloadWhilePlaying(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The real PlaySoundA, on a sound device that takes the clip at its own
  // pace: the plug-in is unloaded within a millisecond of each clip starting.
  for (const char* library : {"user32.dll", "winmm.dll", "shell32.dll", "xinput1_4.dll"})
    LoadLibraryA(library);
  std::size_t memoryAt5 = 0;
  for (int cycle = 0; cycle < 20; ++cycle) {
    constexpr std::uint32_t Pistol = 0x1B06D571;
    Session session(plugin, folder);
    if (!session.Load(/*realSound=*/true)) return;
    session.host.game.GiveWeapon(Pistol, 12, 12, 40);
    session.host.game.Draw(Pistol);
    session.Frame();
    session.host.input.keys['T'] = true;  // the safety switch clip starts
    session.Frame();
    session.Finish();
    if (cycle == 4) memoryAt5 = PrivateBytes();
  }
  Sleep(500);  // the sound thread has long read past where the clip was
  const std::size_t memory = PrivateBytes();
  std::printf("committed bytes after 5 cycles %zu, after 20 %zu\n", memoryAt5, memory);
  Check(memory <= memoryAt5 + 4 * 1024 * 1024, "memory stays bounded over the loads and unloads");
}

}  // namespace runner
