// Runs the real Halvane.asi under Wine: loads it from a fresh folder, points
// its imports of the keyboard, pad, clock and sound at the substitute host's
// scripted input, runs frames on a fiber through the substitute
// ScriptHookV.dll, and checks what a player would see.
//
//   halvane_runner.exe <scenario> <Halvane.asi> <folder>
#include "DefaultSettings.h"
#include "GameProcess.h"
#include "Host.h"
#include "menu/Menu.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

sim::Host& Active() { return *sim::Host::Active(); }

// ---- Scripted input: the plug-in's imports are pointed here.

SHORT WINAPI ScriptedKeyState(int key) {
  if (key < 0 || key > 255) return 0;
  return Active().input.keys[static_cast<std::size_t>(key)] ? static_cast<SHORT>(0x8000) : 0;
}

// The slot the scripted pad is plugged into; the plug-in reads slot 0 only.
DWORD padSlot = 0;

DWORD WINAPI ScriptedPad(DWORD index, XINPUT_STATE* state) {
  sim::Host& host = Active();
  ++host.padReads;
  if (index != padSlot || !host.input.padConnected) return ERROR_DEVICE_NOT_CONNECTED;
  ++state->dwPacketNumber;
  state->Gamepad.wButtons = host.input.padButtons;
  state->Gamepad.bLeftTrigger = host.input.leftTrigger;
  state->Gamepad.bRightTrigger = host.input.rightTrigger;
  return ERROR_SUCCESS;
}

DWORD WINAPI ScriptedTickCount() { return Active().input.tick; }

DWORD soundFlags = 0;
BOOL WINAPI ScriptedPlaySound(LPCSTR sound, HMODULE, DWORD flags) {
  soundFlags = flags;
  const auto* image = reinterpret_cast<const std::uint8_t*>(sound);
  std::uint32_t riffSize;
  std::memcpy(&riffSize, image + 4, sizeof riffSize);
  Active().frameSounds.push_back({image, riffSize + 8});
  return TRUE;
}

// ---- The settings file's way to the disk: the plug-in's imports of _commit
// and MoveFileExW are pointed here, and each call that succeeds is noted with
// the file it was about, in order.

struct FileEvent {
  enum class Kind { Flush, Replace } kind;
  std::uint64_t file;  // the file's index: one file under any name
};
std::vector<FileEvent> fileEvents;

std::uint64_t FileIndexOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &information)) return 0;
  return static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
}

// Which file a name leads to now: a replace gives the name another.
std::uint64_t FileIndex(const wchar_t* path) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  const std::uint64_t index = FileIndexOf(file);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return index;
}
std::uint64_t FileIndex(const std::filesystem::path& path) { return FileIndex(path.c_str()); }

// The plug-in's C runtime, the one whose descriptors it flushes.
template <typename Function>
Function RuntimeFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

int __cdecl RecordedCommit(int descriptor) {
  static const auto commit = RuntimeFunction<int(__cdecl*)(int)>("_commit");
  static const auto handleOf = RuntimeFunction<intptr_t(__cdecl*)(int)>("_get_osfhandle");
  const int result = commit(descriptor);
  if (result == 0) {
    fileEvents.push_back(
        {FileEvent::Kind::Flush, FileIndexOf(reinterpret_cast<HANDLE>(handleOf(descriptor)))});
  }
  return result;
}

BOOL WINAPI RecordedMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
  const std::uint64_t file = FileIndex(from);
  const BOOL moved = MoveFileExW(from, to, flags);
  if (moved) fileEvents.push_back({FileEvent::Kind::Replace, file});
  return moved;
}

// What the settings file held just before each cut the plug-in made, and
// the length it was cut to: the moment a crash would leave it so.
struct BeforeCut {
  std::string content;
  LONGLONG length;
};
std::vector<BeforeCut> beforeCuts;
std::filesystem::path watchedSettingsFile;
std::string ReadFile(const std::filesystem::path& path);

BOOL WINAPI RecordedSetEndOfFile(HANDLE file) {
  LARGE_INTEGER length{};
  SetFilePointerEx(file, {}, &length, FILE_CURRENT);
  if (!watchedSettingsFile.empty()) beforeCuts.push_back({ReadFile(watchedSettingsFile), length.QuadPart});
  return SetEndOfFile(file);
}

// The keybindings page's row with the label `label`, counted from the top,
// as the menu lays its rows out from the settings table.
constexpr int RowOf(std::string_view label) {
  for (std::size_t row = 0; row < KeybindingSettings.size(); ++row) {
    if (KeybindingSettings[row]->menuLabel == label) return static_cast<int>(row);
  }
  return -1;
}
static_assert(RowOf("Hide Ammo Counter") > 0 && RowOf("Engine Toggle") > 0 && RowOf("Gear Up") > 0);

// ---- Checks.

int failures = 0;

void Check(bool condition, const std::string& what) {
  if (condition) return;
  ++failures;
  std::printf("FAILED: %s\n", what.c_str());
}

// Through CreateFileW, which takes a \\?\ path as it stands.
std::string ReadFile(const std::filesystem::path& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string content;
  char chunk[4096];
  for (DWORD read = 0; ::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0;)
    content.append(chunk, read);
  CloseHandle(file);
  return content;
}

// The file the first start writes, with the CR LF line ends of Windows.
const std::string DefaultFile = [] {
  std::string text;
  for (const char c : std::string_view(DefaultSettingsFile)) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}();

// A loaded plug-in with scripted input, as a player would install it.
class Session {
 public:
  Session(const std::filesystem::path& plugin, const std::filesystem::path& folder) : host(plugin, folder) {}

  // `realSound`: the plug-in keeps its import of PlaySoundA, and plays through the system.
  bool Load(bool realSound = false) {
    host.Load();
    if (!host.Loaded()) return false;
    const auto module = reinterpret_cast<HMODULE>(host.Module());
    const bool patched =
        PatchImport(module, "USER32.dll", "GetAsyncKeyState", 0, reinterpret_cast<void*>(&ScriptedKeyState)) &
        PatchImport(module, "XINPUT1_4.dll", nullptr, 2, reinterpret_cast<void*>(&ScriptedPad)) &
        PatchImport(module, "KERNEL32.dll", "GetTickCount", 0, reinterpret_cast<void*>(&ScriptedTickCount)) &
        (realSound ||
         PatchImport(module, "WINMM.dll", "PlaySoundA", 0, reinterpret_cast<void*>(&ScriptedPlaySound)));
    Check(patched,
          "the plug-in imports GetAsyncKeyState, XInputGetState by ordinal 2, GetTickCount and PlaySoundA");
    // Noted, not required: a plug-in that never flushes fails the check of
    // its replaces instead.
    fileEvents.clear();
    PatchImport(module, "msvcrt.dll", "_commit", 0, reinterpret_cast<void*>(&RecordedCommit));
    PatchImport(module, "KERNEL32.dll", "MoveFileExW", 0, reinterpret_cast<void*>(&RecordedMoveFileEx));
    beforeCuts.clear();
    PatchImport(module, "KERNEL32.dll", "SetEndOfFile", 0, reinterpret_cast<void*>(&RecordedSetEndOfFile));
    return patched;
  }
  // Settings files the plug-in put in place by replacing the old one.
  int Replaces() const {
    return static_cast<int>(std::count_if(fileEvents.begin(), fileEvents.end(), [](const FileEvent& e) {
      return e.kind == FileEvent::Kind::Replace;
    }));
  }
  void Frame(std::uint32_t milliseconds = 16) {
    host.input.tick += milliseconds;
    host.Frame();
  }
  void Tap(int key) {
    host.input.keys[static_cast<std::size_t>(key)] = true;
    Frame();
    host.input.keys[static_cast<std::size_t>(key)] = false;
    Frame();
  }
  void TapPad(std::uint16_t buttons) {
    host.input.padButtons = buttons;
    Frame();
    host.input.padButtons = 0;
    Frame();
  }
  void TapRightTrigger(std::uint8_t value) {
    host.input.rightTrigger = value;
    Frame();
    host.input.rightTrigger = 0;
    Frame();
  }
  // Into a running car that moves at `speed` m/s, for one frame of gear 1.
  std::int32_t DriveAt(float speed) {
    const std::int32_t car = host.game.SpawnVehicle(true);
    host.game.Enter(car);
    host.game.Vehicle(car).velocity = {speed, 0.0F, 0.0F};
    Frame();
    return car;
  }
  bool Drew(const std::string& text) const {
    for (const auto& drawn : host.game.texts) {
      if (drawn.text == text) return true;
    }
    return false;
  }
  bool Played(std::size_t clipSize) const {
    for (const auto& sound : host.frameSounds) {
      if (sound.size == clipSize) return true;
    }
    return false;
  }
  void Finish() {
    host.Unload();
    for (const std::string& error : host.errors) Check(false, "substitute host: " + error);
    CheckFlushedBeforeReplaced();
  }
  // A file that replaces Halvane.ini was handed to the disk (_commit) first,
  // after the last replace: otherwise a power cut could leave it empty.
  static void CheckFlushedBeforeReplaced() {
    std::vector<std::uint64_t> flushed;
    int replace = 0;
    for (const FileEvent& event : fileEvents) {
      if (event.kind == FileEvent::Kind::Flush) {
        flushed.push_back(event.file);
        continue;
      }
      ++replace;
      Check(event.file != 0 && std::find(flushed.begin(), flushed.end(), event.file) != flushed.end(),
            "replace " + std::to_string(replace) +
                ": the new file is flushed to the disk before it replaces Halvane.ini");
      flushed.clear();
    }
  }

  sim::Host host;
};

// ---- Scenarios.

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

// How often the player was told that a change could not be saved.
constexpr const char* UnsavedNotice = "Halvane.ini could not be saved: changes last until the game closes";
std::ptrdiff_t UnsavedNotices(const Session& session) {
  const auto& posted = session.host.game.notifications;
  return std::count(posted.begin(), posted.end(), std::string(UnsavedNotice));
}

// One change, one save: opens the menu with `menuKey` (checking that it opened, when `opening`
// says why it should), switches "Hide Ammo Counter" and closes the menu.
void SwitchAmmoCounterInMenu(Session& session, int menuKey = VK_F2, const char* opening = nullptr);

void FirstStart(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(ReadFile(folder / "Halvane.ini") == DefaultFile,
        "Halvane.ini holds the sixteen default lines, CR LF each");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");
  // Where nothing stands in the way, every save replaces the file whole.
  for (int save = 1; save <= 2; ++save) {
    const std::uint64_t before = FileIndex(folder / "Halvane.ini");
    SwitchAmmoCounterInMenu(session);
    const std::uint64_t after = FileIndex(folder / "Halvane.ini");
    Check(before != 0 && after != 0 && after != before,
          "save " + std::to_string(save) + " replaces the file rather than writing into it");
  }
  Check(ReadFile(folder / "Halvane.ini") == DefaultFile, "two switches bring the defaults back");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");
  Check(UnsavedNotices(session) == 0, "a save that succeeds tells nothing");
  Check(session.Replaces() == 3, "the first file and both saves each replace Halvane.ini: " +
                                     std::to_string(session.Replaces()) + " replaces");
  session.Finish();
}

void PreparedSettings(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const std::string prepared = "; tuned by hand\r\nMenu=F5\r\nGear1=12.5abc\r\n";
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << prepared;
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(ReadFile(folder / "Halvane.ini") == prepared, "a readable file is not rewritten at start-up");
  session.Tap(VK_F2);
  Check(!session.Drew("~y~Halvane~w~ | Keybindings"), "F2 no longer opens the menu");
  session.host.input.keys[VK_F5] = true;
  session.Frame();
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "F5 opens the menu");
  session.host.input.keys[VK_F5] = false;
  session.Frame();
  session.Tap(VK_F5);
  const std::int32_t car = session.DriveAt(20.0F);
  Check(session.host.game.Vehicle(car).velocity.x == 12.5F, "gear 1 is limited to the 12.5 m/s of the file");
  session.Finish();
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

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
    std::printf("GetProcessMemoryInfo failed: %lu\n", GetLastError());
  }
  return counters.PagefileUsage;
}

// The lowest free handle slot: Wine hands out the first free one, so handles
// that leak push it up.
std::uintptr_t HandleProbe() {
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const auto value = reinterpret_cast<std::uintptr_t>(probe);
  CloseHandle(probe);
  return value;
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

void ReadOnlyFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The folder was made read-only with the DLL already in it.
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  Check(!std::filesystem::exists(folder / "Halvane.ini"),
        "no settings file can appear in a read-only folder");
  SwitchAmmoCounterInMenu(session);
  Check(session.host.game.hiddenHud.count(20) == 1, "a change that cannot be saved stays in force");
  Check(UnsavedNotices(session) == 1, "the player is told once that the change could not be saved");
  SwitchAmmoCounterInMenu(session);
  Check(UnsavedNotices(session) == 2, "and once again at the next opening of the menu");
  session.Finish();
}

void SwitchAmmoCounterInMenu(Session& session, int menuKey, const char* opening) {
  session.Tap(menuKey);
  if (opening != nullptr) Check(session.Drew("~y~Halvane~w~ | Keybindings"), opening);
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  session.Tap(menuKey);
}

void NonAsciiFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game installed under a folder whose name is not in the ANSI code page.
  const std::filesystem::path game = folder / L"\u0418\u0433\u0440\u044B \u00C9t\u00E9";
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile, "the first start writes Halvane.ini beside the DLL");
    SwitchAmmoCounterInMenu(session);
    Check(ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
          "a menu change is saved there");
    Check(!std::filesystem::exists(game / "Halvane.ini.tmp"), "no temporary file is left");
    session.Finish();
  }
  std::ofstream(game / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  session.Tap(VK_F5);
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "the next start reads the file: F5 opens the menu");
  session.Finish();
}

void LockedSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another program holds the file open, letting others delete or replace it
  // but not read it: it cannot be read, and it must not be replaced or written.
  std::filesystem::create_directories(folder);
  const std::string mine = "; mine, keep it\r\nMenu=F5\r\nEngine=H\r\nGear1=12.5\r\n";
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << mine;
  HANDLE lock = CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Check(lock != INVALID_HANDLE_VALUE, "the file can be locked");
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F2, "the defaults hold for the run: F2 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "a menu change holds for the run");
  CloseHandle(lock);
  Check(ReadFile(folder / "Halvane.ini") == mine,
        "the locked file is not written, not even by a menu change");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");

  // The lock is gone: the next opening of the menu reads the file, and
  // saving works again.
  session.Tap(VK_F2);
  Check(session.Drew("~y~Halvane~w~ | Keybindings"), "F2 still opens the menu");
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  session.Tap(VK_F5);
  Check(!session.Drew("~y~Halvane~w~ | Keybindings"), "the file's F5 closes the menu once it is read");
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Menu=F5\r\nEngine=H\r\n") != std::string::npos &&
            saved.find("Gear1=12.5\r\n") != std::string::npos,
        "the player's settings are read and saved with the change");
  session.Finish();
}

void FileHeldOpen(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // An editor or a file watcher holds the file open, sharing reads and
  // writes but not deletion: the file cannot be replaced, only written. The
  // player's notes make it longer than the file the save writes.
  std::filesystem::create_directories(folder);
  const std::string mine = std::string("; my notes: ") + std::string(200, '#') + "\r\n" + DefaultFile;
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << mine;
  HANDLE editor = CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(editor != INVALID_HANDLE_VALUE, "the file can be held open");
  watchedSettingsFile = folder / "Halvane.ini";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session);
  session.Finish();
  watchedSettingsFile.clear();
  const std::string saved = ReadFile(folder / "Halvane.ini");
  CloseHandle(editor);
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && saved.size() == DefaultFile.size(),
        "the change is written into the held file, whole");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");
  // Just before the cut, the new text is followed by blank lines alone: a
  // crash then leaves the new settings, not the old file's tail after them.
  Check(beforeCuts.size() == 1,
        "the save cuts the file once: " + std::to_string(beforeCuts.size()) + " cuts");
  for (const BeforeCut& cut : beforeCuts) {
    const auto length = static_cast<std::size_t>(cut.length);
    Check(length <= cut.content.size() && cut.content.compare(0, length, saved) == 0 &&
              cut.content.find_first_not_of('\n', length) == std::string::npos,
          "before the cut the file holds the new text and blank lines: " + cut.content.substr(0, 600));
  }
}

void LockedFolderWritableFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The folder was locked with the DLL and a settings file in it; the file
  // itself can still be written.
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session);
  Check(session.host.game.hiddenHud.count(20) == 1, "the change is in force");
  session.Finish();
  Check(ReadFile(folder / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "the change is written into the file in place");
}

void FullDisk(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // The disk takes no file past the settings file's own size: the temporary
  // (or, in a locked folder, the in-place write) runs out of room and must
  // leave the player's bytes as they were. In the plain folder a crash left
  // Halvane.ini.tmp behind as a hard link to the settings file itself.
  const std::string mine = ReadFile(folder / "Halvane.ini");
  const bool linked = std::filesystem::exists(folder / "Halvane.ini.tmp");
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file is read: F5 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "the change holds for the run");
  Check(UnsavedNotices(session) == 1, "the player is told that the change could not be saved");
  session.Finish();
  Check(!mine.empty() && ReadFile(folder / "Halvane.ini") == mine,
        "the settings file is as it was, byte for byte");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"),
        linked ? "the stale temporary is removed, not written through" : "no temporary file is left");
}

void StaleTemporary(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A crash left Halvane.ini.tmp as a hard link to another program's file.
  std::filesystem::create_directories(folder);
  const std::string theirs = "another program's file\r\n";
  std::ofstream(folder / "other.txt", std::ios::binary) << theirs;
  Check(CreateHardLinkW((folder / "Halvane.ini.tmp").c_str(), (folder / "other.txt").c_str(), nullptr),
        "a hard link can be made");
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session);
  session.Finish();
  Check(ReadFile(folder / "other.txt") == theirs, "the linked file is never written");
  Check(ReadFile(folder / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "the change is saved");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");
}

void HugeSettingsFile(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A 12 GiB file (a mistaken copy), sparse: too large to be a settings file.
  constexpr LONGLONG Size = 12LL << 30;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  HANDLE file =
      CreateFileW((folder / "Halvane.ini").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER end{};
  end.QuadPart = Size;
  Check(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file), "a 12 GiB file can be made");
  CloseHandle(file);
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F2, "the defaults hold: F2 opens the menu");
  Check(session.host.game.hiddenHud.count(20) == 1, "a menu change holds for the run");
  session.Finish();
  std::error_code error;
  Check(std::filesystem::file_size(folder / "Halvane.ini", error) == static_cast<std::uintmax_t>(Size),
        "the file is left as it is");
  Check(!std::filesystem::exists(folder / "Halvane.ini.tmp"), "no temporary file is left");
}

void LongPath(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game installed deep in long folder names: the DLL's path is longer
  // than the 260 characters of the classic buffers.
  std::filesystem::path game = folder;
  while (game.wstring().size() < 320) game /= L"Long Folder Name Of A Game Install";
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    Check(session.host.LibraryFile().wstring().size() > 260, "the DLL's path is over 260 characters");
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile, "the first start writes Halvane.ini beside the DLL");
    Check(!std::filesystem::exists(game.parent_path() / "Halvane.ini"), "nothing is written one folder up");
    SwitchAmmoCounterInMenu(session);
    Check(ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
          "a menu change is saved there");
    session.Finish();
  }
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  Check(session.host.game.hiddenHud.count(20) == 1, "the next start reads it there");
  session.Finish();
}

void BomBinaryMode(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another module of the game switched the C runtime's default file mode
  // to binary, and the player's editor saved the file "UTF-8 with BOM" with
  // a Ctrl-Z line in it.
  auto* defaultMode = reinterpret_cast<int*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_fmode"));
  Check(defaultMode != nullptr, "the C runtime's default file mode can be set");
  if (defaultMode == nullptr) return;
  *defaultMode = 0x8000;  // _O_BINARY
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "probe", std::ios::binary) << "a\r\n";
  std::FILE* probe = _wfopen((folder / "probe").c_str(), L"r");
  char bytes[8] = {};
  const std::size_t read = probe != nullptr ? std::fread(bytes, 1, sizeof bytes, probe) : 0;
  if (probe != nullptr) std::fclose(probe);
  Check(read == 3, "files opened without a mode keep their CR");

  std::ofstream(folder / "Halvane.ini", std::ios::binary)
      << "\xEF\xBB\xBFMenu=F5\r\nEngine=H\r\n\x1A\r\nGear1=12.5\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the first line, after the mark, is read: F5 opens the menu");
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Menu=F5\r\nEngine=H\r\n") != std::string::npos, "every CR LF line is read");
  Check(saved.find("Gear1=12.5\r\n") != std::string::npos, "a line after Ctrl-Z is read too");
  Check(saved.find("HideAmmoHud=1\r\n") != std::string::npos && saved.find("\n\n") == std::string::npos &&
            saved.find("\r\r") == std::string::npos,
        "the file is written with CR LF whatever the default mode");
  session.Finish();
  *defaultMode = 0x4000;  // _O_TEXT
}

void CommaLocale(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // Another part of the process set a locale with a decimal comma in the
  // C runtime the plug-in shares.
  const char* locale = std::setlocale(LC_ALL, "German_Germany.1252");
  Check(locale != nullptr && std::strtod("9,5", nullptr) == 9.5, "a locale with a decimal comma is set");
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Halvane.ini", std::ios::binary) << "Gear1=12.75\r\n";
  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  Check(session.host.game.Vehicle(car).velocity.x == 12.75F, "gear 1 is held at 12.75 m/s, as the file says");
  SwitchAmmoCounterInMenu(session);
  const std::string saved = ReadFile(folder / "Halvane.ini");
  Check(saved.find("Gear1=12.75\r\nGear2=18.06\r\nGear3=26.39\r\nGear4=34.72\r\n") != std::string::npos,
        "speeds are saved with a point");
  session.Finish();
  std::setlocale(LC_ALL, "C");
}

void DotFolder(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // A game folder whose name ends in a dot, which only a \\?\ path can
  // name: the ordinary path rules drop the dot and lead to another folder.
  const std::filesystem::path game = std::wstring(LR"(\\?\)") + folder.wstring() + L"\\game.";
  const std::filesystem::path lookalike = folder / "game";
  Check(CreateDirectoryW(game.c_str(), nullptr) && CreateDirectoryW(lookalike.c_str(), nullptr),
        "a folder \"game.\" and a folder \"game\" can be made");
  {
    Session session(plugin, game);
    if (!session.Load()) return;
    session.Frame();
    Check(ReadFile(game / "Halvane.ini") == DefaultFile, "the first start writes Halvane.ini in \"game.\"");
    Check(!std::filesystem::exists(lookalike / "Halvane.ini"), "nothing is written in \"game\"");
    session.Finish();
  }
  std::ofstream(game / "Halvane.ini", std::ios::binary) << "Menu=F5\r\n";
  Session session(plugin, game);
  if (!session.Load()) return;
  session.Frame();
  SwitchAmmoCounterInMenu(session, VK_F5, "the file in \"game.\" is read: F5 opens the menu");
  Check(ReadFile(game / "Halvane.ini").find("Menu=F5\r\nEngine=G\r\n") != std::string::npos &&
            ReadFile(game / "Halvane.ini").find("HideAmmoHud=1\r\n") != std::string::npos,
        "a menu change is saved there");
  Check(!std::filesystem::exists(lookalike / "Halvane.ini"), "nothing is written in \"game\"");
  session.Finish();
}

// Sets the first byte of a copy of the limiter store in this program's
// image: 0 spoils it, 0x76 makes it whole again.
bool SetFirstByte(const unsigned char* store, unsigned char value) {
  auto* bytes = const_cast<unsigned char*>(store);
  DWORD protection;
  if (!VirtualProtect(bytes, 1, PAGE_EXECUTE_READWRITE, &protection)) return false;
  bytes[0] = value;
  return VirtualProtect(bytes, 1, protection, &protection) != 0;
}

// Whether the field the start-up scan found is written by the limiter: 0.6
// at `offset` in the car's object.
bool FieldWrittenAt(const std::filesystem::path& plugin, const std::filesystem::path& folder,
                    std::size_t offset) {
  Session session(plugin, folder);
  if (!session.Load()) return false;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  float field;
  std::memcpy(&field, session.host.game.Vehicle(car).memory.data() + offset, sizeof field);
  session.Finish();
  return field == 0.6F;
}

DWORD Protection(const void* address) {
  MEMORY_BASIC_INFORMATION region{};
  VirtualQuery(address, &region, sizeof region);
  return region.Protect;
}

void LimiterStoreInCodeOrData(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  // As in the game: the store only in the code, on execute-read pages.
  Check(Protection(LimiterStoreInCode) == PAGE_EXECUTE_READ,
        "the store in the code lies on execute-read pages");
  Check(SetFirstByte(LimiterStoreInImage, 0), "the copy in read-only data can be spoilt");
  Check(FieldWrittenAt(plugin, folder / "code", LimiterOffset),
        "the store in the code is found and its field written");
  // The store only in read-only data.
  Check(Protection(LimiterStoreInImage) == PAGE_READONLY, "the other copy lies on read-only pages");
  Check(SetFirstByte(LimiterStoreInImage, 0x76) && SetFirstByte(LimiterStoreInCode, 0),
        "the copies can be swapped");
  Check(FieldWrittenAt(plugin, folder / "data", LimiterOffset),
        "the store in read-only data is found and its field written");
}

// Three pages of this program's image; the middle one is closed to reading
// in the guarded-image scenario, and the limiter store is put behind it.
__attribute__((section(".guard"), aligned(4096))) unsigned char GuardedPages[3 * 4096] = {1};

void GuardedImage(const std::filesystem::path& plugin, const std::filesystem::path& folder) {
  constexpr std::size_t Page = 4096;
  constexpr std::size_t Offset = 0x123;
  // The store moves: its first copy is spoilt, a new one goes behind a
  // no-access page and a guard page.
  unsigned char store[sizeof LimiterStoreInImage];
  std::memcpy(store, LimiterStoreInImage, sizeof store);
  store[10] = Offset & 0xFF;
  store[11] = Offset >> 8;
  DWORD protection;
  Check(SetFirstByte(LimiterStoreInImage, 0) && SetFirstByte(LimiterStoreInCode, 0),
        "the stores of the image can be spoilt");
  std::memcpy(GuardedPages + 2 * Page + 64, store, sizeof store);
  Check(VirtualProtect(GuardedPages, Page, PAGE_READWRITE | PAGE_GUARD, &protection) &&
            VirtualProtect(GuardedPages + Page, Page, PAGE_NOACCESS, &protection),
        "pages of the image can be guarded and closed");

  Session session(plugin, folder);
  if (!session.Load()) return;
  session.Frame();
  const std::int32_t car = session.DriveAt(20.0F);
  float field;
  std::memcpy(&field, session.host.game.Vehicle(car).memory.data() + Offset, sizeof field);
  Check(field == 0.6F, "the start-up scan passes over the closed pages and finds the store behind them");
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
  // Moved over to the wheel: the car is the player's, in gear 1.
  game.Vehicle(taxi).otherDriver = 0;
  game.Enter(taxi);
  session.Frame();
  game.Vehicle(taxi).velocity = {20.0F, 0.0F, 0.0F};
  session.Frame();
  Check(game.Vehicle(taxi).velocity.x == 9.72F && session.Drew("~r~GEAR 1  ~w~| Max ~y~21 mph"),
        "at the wheel gear 1 holds the car at 9.72 m/s and shows");
  session.Tap('G');
  Check(!game.Vehicle(taxi).engineRunning, "at the wheel the engine key stops the engine");
  session.Finish();
}

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

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, std::function<void(const std::filesystem::path&, const std::filesystem::path&)>>
      scenarios = {{"load", LoadAndUnload},
                   {"first-start", FirstStart},
                   {"prepared-settings", PreparedSettings},
                   {"playthrough", Playthrough},
                   {"hot-reload", HotReload},
                   {"unload-while-playing", UnloadWhilePlaying},
                   {"read-only-folder", ReadOnlyFolder},
                   {"non-ascii-folder", NonAsciiFolder},
                   {"dot-folder", DotFolder},
                   {"stale-temporary", StaleTemporary},
                   {"locked-settings-file", LockedSettingsFile},
                   {"file-held-open", FileHeldOpen},
                   {"locked-folder-writable-file", LockedFolderWritableFile},
                   {"full-disk", FullDisk},
                   {"locked-folder-full-disk", FullDisk},
                   {"huge-settings-file", HugeSettingsFile},
                   {"long-path", LongPath},
                   {"bom-binary-mode", BomBinaryMode},
                   {"comma-locale", CommaLocale},
                   {"guarded-image", GuardedImage},
                   {"limiter-in-code", LimiterStoreInCodeOrData},
                   {"pad", Pad},
                   {"passenger", Passenger}};
  const auto scenario = argc == 4 ? scenarios.find(argv[1]) : scenarios.end();
  if (scenario == scenarios.end()) {
    std::fprintf(stderr, "usage: halvane_runner <scenario> <Halvane.asi> <folder>; scenarios:");
    for (const auto& [name, run] : scenarios) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  if (std::string error; !LoadStandInHost(error)) {
    std::fprintf(stderr, "runner: %s\n", error.c_str());
    return 1;
  }
  scenario->second(argv[2], argv[3]);
  std::printf("%s: %s\n", argv[1], failures == 0 ? "passed" : "FAILED");
  return failures == 0 ? 0 : 1;
}
