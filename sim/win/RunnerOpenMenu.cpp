// Playthroughs of a world that goes on while the menu is open, and of clip
// sections another program made first under the plug-in's names.
#include "RunnerScenarios.h"
#include "RunnerSession.h"
#include "feedback/Sound.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace runner {

namespace {

constexpr std::uint32_t Pistol = 0x1B06D571;
constexpr const char* GearOneBanner = "~r~GEAR 1  ~w~| Max ~y~21 mph";

}  // namespace

void FailingCalls(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Host calls that throw, thrown by the host through the DLL: the first
  // call of a pass once, then the first, the second and the magazine's read
  // for good. A pistol with its catch on, and then one held at its last
  // cartridge, never fire, menu open or closed; the game goes on.
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  game.GiveWeapon(Pistol, 12, 12, 60);
  game.Draw(Pistol);
  session.Frame();
  session.Tap('T');
  const auto failing = [&](const char* what) {
    session.host.input.keys[VK_LBUTTON] = true;
    session.host.throwingCall = 1;
    session.Frame();
    for (const NativeHash native : {sim::native::PlayerCharacter, sim::native::CurrentWeapon,
                                    sim::native::GetAmmoInClip, sim::native::GetTotalAmmo}) {
      session.host.throwingNative = native;
      for (int pass = 0; pass < 3; ++pass) session.Frame();
    }
    session.host.throwingNative = 0;
    session.host.input.keys[VK_LBUTTON] = false;
    session.Frame();
    Check(game.shotsFired == 0, what);
  };
  failing("with its catch on, no shot on passes whose calls throw");
  session.Tap(VK_F2);
  failing("with its catch on and the menu open, no shot on passes whose calls throw");
  session.Tap(VK_F2);
  session.Tap('T');
  game.Weapon(Pistol).clip = 1;
  session.Frame();
  failing("held at its last cartridge, no shot on passes whose calls throw");
  Check(game.Weapon(Pistol).clip == 1 && game.Weapon(Pistol).total == 60,
        "the last cartridge is still there");
  session.Tap('R');
  session.Frame();
  Check(game.Weapon(Pistol).clip == 12, "R reloads it once the host answers again");

  // Fired to its last cartridge, the total read throwing on the pass that
  // finds it there: the total held is the one the game has, never the one
  // of the pass before (a round from nothing), nor nothing.
  const auto rounds = [&] { return game.shotsFired + game.Weapon(Pistol).total; };
  game.GiveWeapon(Pistol, 3, 12, 60);
  game.shotsFired = 0;
  session.Frame();
  session.host.input.keys[VK_LBUTTON] = true;
  session.Frame();
  session.Frame();
  bool once = true;
  session.host.throwWhen = [&](NativeHash hash, const std::vector<std::uint64_t>&) {
    return hash == sim::native::GetTotalAmmo && std::exchange(once, false);
  };
  for (int pass = 0; pass < 4; ++pass) session.Frame();
  Check(game.shotsFired == 2 && game.Weapon(Pistol).total == 58 && rounds() == 60,
        "a total read that throws as the magazine is held holds what the game has: " +
            std::to_string(game.Weapon(Pistol).total));
  // Its block failing for a pass, its last cartridge goes; put away and drawn
  // again, it is not refilled.
  session.host.throwWhen = [](NativeHash hash, const std::vector<std::uint64_t>&) {
    return hash == sim::native::DisableControl;
  };
  session.Frame();
  session.host.throwWhen = nullptr;
  game.Draw(sim::Unarmed);
  session.Frame();
  game.Draw(Pistol);
  for (int pass = 0; pass < 4; ++pass) session.Frame();
  session.host.input.keys[VK_LBUTTON] = false;
  Check(rounds() == 60,
        "a held pistol drawn again after its last cartridge went has no round from nothing: " +
            std::to_string(rounds()) + " of 60");
  session.Finish();
}

void LimitsOfEveryMagnitude(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A No Limit gear 2 lowered over a gear 1 between hundredths keeps its
  // floor through the file; a limit of millions moves on every press.
  const auto play = [&](const char* file, auto&& presses) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Halvane.ini", std::ios::binary | std::ios::trunc) << file;
    Session session(plugin, folder);
    if (!session.Load()) return std::string();
    session.Frame();
    session.Tap(VK_F2);
    session.Tap(VK_UP);  // the last row: Gear Speeds
    session.Tap(VK_RETURN);
    presses(session);
    session.Finish();
    return ReadFile(folder / "Halvane.ini");
  };
  const std::string lowered = play("Gear1=1000.005\r\nGear2=inf\r\n", [](Session& session) {
    session.Tap(VK_DOWN);
    session.Tap(VK_LEFT);
  });
  Check(lowered.find("Gear1=1000.005\r\nGear2=1000.2828\r\n") != std::string::npos,
        "gear 2 is saved a step above gear 1, as in use: " + lowered);
  const std::string millions =
      play("Gear1=9000000\r\nGear2=9000001\r\n", [](Session& session) { session.Tap(VK_RIGHT); });
  Check(millions.find("Gear1=9000001\r\nGear2=9000002\r\n") != std::string::npos,
        "Right moves a limit of millions and pushes the gear above: " + millions);
}

void OpenMenuWorld(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  sim::Game& game = session.host.game;
  // A pistol with 2 in its magazine, one round a pull, fired four times
  // with the menu open.
  game.GiveWeapon(Pistol, 2, 12, 60, sim::FireMode::PerPull);
  game.Draw(Pistol);
  game.Weapon(Pistol).clip = 2;
  session.Frame();
  session.Tap(VK_F2);
  for (int pull = 0; pull < 4; ++pull) session.Tap(VK_LBUTTON);
  Check(game.shotsFired == 1 && game.Weapon(Pistol).clip == 1 && game.reloads == 0,
        "with the menu open a magazine of 2 fires once and is held at its last cartridge");
  session.Tap(VK_F2);
  session.Tap(VK_LBUTTON);
  Check(game.shotsFired == 1 && session.Drew("~o~EMPTY  ~y~[R]"),
        "with the menu closed the held pistol clicks and shows EMPTY");

  // Gear 3 in one car; with the menu open, out of it and into another.
  const std::int32_t first = game.SpawnVehicle(true);
  game.Enter(first);
  session.Frame();
  session.Tap('3');
  session.Tap('3');
  session.Tap(VK_F2);
  game.Enter(0);
  session.Frame();
  const std::int32_t second = game.SpawnVehicle(true);
  game.Enter(second);
  session.Frame();
  session.Tap(VK_F2);
  Check(session.Drew(GearOneBanner), "the car got into with the menu open starts in gear 1, with its banner");
  game.Vehicle(second).velocity = {20.0F, 0.0F, 0.0F};
  session.Frame();
  Check(game.Vehicle(second).velocity.x == 9.72F, "gear 1 holds the new car at 9.72 m/s");
  session.Finish();
}

namespace {

// The name the plug-in gives a clip's section in this process: FNV-1a of
// the clip's bytes.
std::wstring SectionName(std::span<const std::uint8_t> clip) {
  std::uint64_t hash = 0xCBF29CE484222325;
  for (const std::uint8_t byte : clip) hash = (hash ^ byte) * 0x100000001B3;
  wchar_t name[64];
  swprintf(name, std::size(name), L"Local\\Halvane.Clip.%lu.%016llx", GetCurrentProcessId(),
           static_cast<unsigned long long>(hash));
  return name;
}

struct ForeignSection {
  HANDLE handle;
  std::uint8_t* view;
  std::uint64_t header;  // what its first eight bytes were made to say
};

// A section made first under the clip's name, with room for the clip after
// a header that says `header` (0: the address of its own bytes after the
// header, where the clip is copied whole: a copy its maker can unmap or
// rewrite at any time).
ForeignSection MakeSectionFirst(std::span<const std::uint8_t> clip, std::uint64_t header) {
  const std::size_t size = sizeof(std::uint64_t) + clip.size();
  HANDLE handle = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     static_cast<DWORD>(size), SectionName(clip).c_str());
  auto* view = handle == nullptr
                   ? nullptr
                   : static_cast<std::uint8_t*>(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, size));
  if (view == nullptr) return {handle, nullptr, 0};
  if (header == 0) {
    header = reinterpret_cast<std::uintptr_t>(view + sizeof(std::uint64_t));
    std::memcpy(view + sizeof(std::uint64_t), clip.data(), clip.size());
  }
  std::memcpy(view, &header, sizeof header);
  return {handle, view, header};
}

}  // namespace

void ForeignClipSection(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Made by a buggy or hostile program before the plug-in ever played.
  const ForeignSection sections[] = {MakeSectionFirst(SafetySwitchClip, 0x4141414141414141),
                                     MakeSectionFirst(DryFireClip, 0x10), MakeSectionFirst(GearShiftClip, 0)};
  for (const ForeignSection& section : sections) Check(section.view != nullptr, "a section is made first");
  if (failures > 0) return;
  // Twice: each load finds the sections as they were made.
  for (int load = 0; load < 2; ++load) {
    Session session(plugin, folder);
    if (!session.Load()) return;
    sim::Game& game = session.host.game;
    game.GiveWeapon(Pistol, 12, 12, 60);
    game.Draw(Pistol);
    session.Frame();
    // The key's clip is heard on the frame it goes down.
    const auto hears = [&](int key, std::span<const std::uint8_t> clip, const char* what) {
      session.host.input.keys[static_cast<std::size_t>(key)] = true;
      session.Frame();
      Check(session.Played(clip.size()), what);
      session.host.input.keys[static_cast<std::size_t>(key)] = false;
      session.Frame();
    };
    hears('T', SafetySwitchClip, "the safety switch clip plays");
    hears(VK_LBUTTON, DryFireClip, "the dry-fire clip plays");
    game.Enter(game.SpawnVehicle(true));
    session.Frame();
    hears('3', GearShiftClip, "the gear shift clip plays");
    session.Finish();
  }
  for (const ForeignSection& section : sections) {
    std::uint64_t header;
    std::memcpy(&header, section.view, sizeof header);
    Check(header == section.header, "a section another program made is left as it made it");
    UnmapViewOfFile(section.view);
    CloseHandle(section.handle);
  }
}

}  // namespace runner
