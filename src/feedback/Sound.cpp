#include "feedback/Sound.h"

#include "host/Natives.h"
#include "platform/Platform.h"

void PlayClip(std::span<const std::uint8_t> clip) { platform::PlayWave(clip.data(), clip.size()); }

void PlayFrontendSound(const char* name) {
  natives::PlaySoundFrontend(name, "HUD_FRONTEND_DEFAULT_SOUNDSET");
}
