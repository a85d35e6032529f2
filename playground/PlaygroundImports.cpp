// What the playground hears of the plug-in through the imports it points at
// itself: each clip played (PlaySoundA, passed on to the real one) and each
// save of the settings file (MoveFileExW, SetEndOfFile).
#include "PlaygroundSession.h"

#include "feedback/Sound.h"

#include <windows.h>
// windows.h first: this needs its types.
#include <mmsystem.h>

#include <cstring>
#include <span>
#include <utility>

namespace playground {

PlaySoundFunction realPlaySound = nullptr;

std::vector<PlayedClip> framePlayed;

namespace {

// The plug-in's clips by name: the bytes played are compared with each.
const char* ClipName(const char* image, std::size_t size) {
  static const std::pair<const char*, std::span<const std::uint8_t>> clips[] = {
      {"dry fire", DryFireClip}, {"safety switch", SafetySwitchClip}, {"gear shift", GearShiftClip}};
  for (const auto& [name, clip] : clips) {
    if (clip.size() == size && std::memcmp(clip.data(), image, size) == 0) return name;
  }
  return "unknown clip";
}

}  // namespace

BOOL WINAPI RecordedPlaySound(LPCSTR sound, HMODULE module, DWORD flags) {
  const BOOL accepted = realPlaySound(sound, module, flags);
  std::uint32_t riffSize = 0;
  if ((flags & SND_MEMORY) != 0 && sound != nullptr) std::memcpy(&riffSize, sound + 4, sizeof riffSize);
  framePlayed.push_back({ClipName(sound, riffSize + 8U), accepted != FALSE});
  return accepted;
}

bool pluginSavedSettings = false;

BOOL WINAPI SavingMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
  const BOOL moved = MoveFileExW(from, to, flags);
  pluginSavedSettings = pluginSavedSettings || moved != FALSE;
  return moved;
}

BOOL WINAPI SavingSetEndOfFile(HANDLE file) {
  const BOOL cut = SetEndOfFile(file);
  pluginSavedSettings = pluginSavedSettings || cut != FALSE;
  return cut;
}

}  // namespace playground
