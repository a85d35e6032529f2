// Sound cues: the plug-in's own clips, played from memory, and the host's
// frontend sounds.
#pragma once

#include <array>
#include <cstdint>
#include <span>

// Complete RIFF/WAVE images, played in place.
extern const std::array<std::uint8_t, 7568> DryFireClip;
extern const std::array<std::uint8_t, 3692> SafetySwitchClip;
extern const std::array<std::uint8_t, 50766> GearShiftClip;

// Starts the clip and returns at once; a new clip replaces one still playing.
void PlayClip(std::span<const std::uint8_t> clip);

// One of the host's "HUD_FRONTEND_DEFAULT_SOUNDSET" sounds, by name.
void PlayFrontendSound(const char* name);
