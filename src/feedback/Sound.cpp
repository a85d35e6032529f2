#include "feedback/Sound.h"

#include "host/Native.h"
#include "platform/Platform.h"

namespace {
constexpr NativeHash PlaySoundFrontend = 0x67C540AA08E4A6F5;
}  // namespace

void PlayClip(std::span<const std::uint8_t> clip) { platform::PlayWave(clip.data(), clip.size()); }

void PlayFrontendSound(const char* name) {
  CallNative(PlaySoundFrontend, -1, name, "HUD_FRONTEND_DEFAULT_SOUNDSET", 1);
}
