// Sound cues: the plug-in's own clips, played from memory, and the host's
// frontend sounds.
#pragma once

#include <cstdint>
#include <span>

// Complete RIFF/WAVE images, played in place (generated in Clips.cpp).
extern const std::span<const std::uint8_t> DryFireClip;
extern const std::span<const std::uint8_t> SafetySwitchClip;
extern const std::span<const std::uint8_t> GearShiftClip;

// Starts the clip and returns at once; a new clip replaces one still playing.
void PlayClip(std::span<const std::uint8_t> clip);

// One of the host's "HUD_FRONTEND_DEFAULT_SOUNDSET" sounds, by name.
void PlayFrontendSound(const char* name);
