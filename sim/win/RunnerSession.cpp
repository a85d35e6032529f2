// The Wine runner's session: scripted input and the checks. The file calls
// are noted in RunnerFileCalls.cpp.
#include "RunnerSession.h"

#include "DefaultSettings.h"
#include "feedback/Sound.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <xinput.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace runner {

sim::Host& Active() { return *sim::Host::Active(); }

int failures = 0;
DWORD padSlot = 0;
DWORD soundFlags = 0;

namespace {

// ---- Scripted input: the plug-in's imports are pointed here.

SHORT WINAPI ScriptedKeyState(int key) {
  if (key < 0 || key > 255) return 0;
  return Active().input.keys[static_cast<std::size_t>(key)] ? static_cast<SHORT>(0x8000) : 0;
}

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

// Whether all of [at, at + size) can be read.
bool Readable(const std::uint8_t* at, std::size_t size) {
  constexpr DWORD ReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                        PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const std::uint8_t* end = at + size;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(at, &region, sizeof region) != sizeof region || region.State != MEM_COMMIT ||
        (region.Protect & ReadableProtections) == 0 || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
      return false;
    }
    at = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// The plug-in's clip that `image` holds whole, in readable memory; null for
// anything else, which PlaySoundA would read on its own thread and perhaps
// end the game with.
const std::span<const std::uint8_t>* ClipAt(const std::uint8_t* image) {
  for (const auto* clip : {&DryFireClip, &SafetySwitchClip, &GearShiftClip}) {
    if (Readable(image, clip->size()) && std::memcmp(image, clip->data(), clip->size()) == 0) return clip;
  }
  return nullptr;
}

// Whether `address` lies in the loaded Halvane.asi, which an unload frees.
bool InPlugin(const void* address) {
  MODULEINFO module{};
  if (!GetModuleInformation(GetCurrentProcess(), reinterpret_cast<HMODULE>(Active().Module()), &module,
                            sizeof module)) {
    return false;
  }
  const auto* base = static_cast<const std::uint8_t*>(module.lpBaseOfDll);
  const auto* at = static_cast<const std::uint8_t*>(address);
  return at >= base && at < base + module.SizeOfImage;
}

BOOL WINAPI ScriptedPlaySound(LPCSTR sound, HMODULE, DWORD flags) {
  soundFlags = flags;
  const auto* image = reinterpret_cast<const std::uint8_t*>(sound);
  const std::span<const std::uint8_t>* clip = ClipAt(image);
  Check(clip != nullptr, "PlaySoundA is given readable memory that holds one of the plug-in's clips whole");
  if (clip == nullptr) return FALSE;
  Check(!InPlugin(image),
        "a clip plays from a copy that outlives the library, never from Halvane.asi's image");
  // Nor from a view of a section, which whoever maps it can unmap or rewrite.
  MEMORY_BASIC_INFORMATION region{};
  Check(VirtualQuery(image, &region, sizeof region) == sizeof region && region.Type == MEM_PRIVATE,
        "a clip plays from the process's own memory, never from a section's view");
  Active().frameSounds.push_back({image, clip->size()});
  return TRUE;
}

}  // namespace

// ---- Checks.

void Check(bool condition, const std::string& what) {
  if (condition) return;
  ++failures;
  std::printf("FAILED: %s\n", what.c_str());
}

// Through CreateFileW, which takes a \\?\ path as it stands.
std::filesystem::path Temporary(const std::filesystem::path& folder) {
  return folder / ("Halvane.ini." + std::to_string(GetCurrentProcessId()) + ".tmp");
}

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

bool Session::Load(bool realSound) {
  host.Load();
  if (!host.Loaded()) {
    std::string why;
    for (const std::string& error : host.errors) why += " " + error;
    Check(false, "Halvane.asi loads:" + why);
    return false;
  }
  const auto module = reinterpret_cast<HMODULE>(host.Module());
  const bool patched =
      PatchImport(module, "USER32.dll", "GetAsyncKeyState", 0, reinterpret_cast<void*>(&ScriptedKeyState)) &
      PatchImport(module, "XINPUT1_4.dll", nullptr, 2, reinterpret_cast<void*>(&ScriptedPad)) &
      PatchImport(module, "KERNEL32.dll", "GetTickCount", 0, reinterpret_cast<void*>(&ScriptedTickCount)) &
      (realSound ||
       PatchImport(module, "WINMM.dll", "PlaySoundA", 0, reinterpret_cast<void*>(&ScriptedPlaySound)));
  Check(patched,
        "the plug-in imports GetAsyncKeyState, XInputGetState by ordinal 2, GetTickCount and PlaySoundA");
  NoteFileCalls(module);
  return patched;
}

void Session::Finish() {
  host.Unload();
  for (const std::string& error : host.errors) Check(false, "substitute host: " + error);
  CheckFlushedBeforeReplaced();
}

std::ptrdiff_t UnsavedNotices(const Session& session) {
  constexpr const char* UnsavedNotice = "Halvane.ini could not be saved: changes last until the game closes";
  const auto& posted = session.host.game.notifications;
  return std::count(posted.begin(), posted.end(), std::string(UnsavedNotice));
}

void SwitchAmmoCounterInMenu(Session& session, int menuKey, const char* opening) {
  session.Tap(menuKey);
  if (opening != nullptr) Check(session.Drew("~y~Halvane~w~ | Keybindings"), opening);
  for (int i = 0; i < RowOf("Hide Ammo Counter"); ++i) session.Tap(VK_DOWN);
  session.Tap(VK_RETURN);
  session.Tap(menuKey);
}

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
    std::printf("GetProcessMemoryInfo failed: %lu\n", GetLastError());
  }
  return counters.PagefileUsage;
}

}  // namespace runner
