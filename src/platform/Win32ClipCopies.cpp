// The kept clip copies: each clip PlaySoundA plays from memory that stays
// with the process after the library is unloaded (the Win32 PlayWave).
#include "platform/Platform.h"

#include <windows.h>
// windows.h first: this needs its types.
#include <mmsystem.h>

#include <cstring>
#include <cwchar>
#include <iterator>

namespace platform {

namespace {

// PlaySoundA goes on reading a clip on the system's sound thread after it
// returns. A clip played from this library's image would be freed under that
// thread when the library is unloaded, ending the game; so each clip plays
// from a copy that stays with the process: memory of the process's own,
// read-only, never freed. Only such memory is played from: a section's view
// can be unmapped or rewritten by whichever module maps it. So that memory
// stays bounded however often the plug-in is loaded, the first load that
// plays a clip leaves where its copy is in a small section named after the
// process and the clip's bytes; a later load plays from that copy once it
// has checked that it is one: a whole private allocation of its own,
// read-only, holding exactly the clip.
struct KeptClipHeader {
  const std::uint8_t* copy;  // the clip, in a private read-only allocation
};

std::uint64_t ClipHash(const std::uint8_t* bytes, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325;  // FNV-1a
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3;
  return hash;
}

// Whether `copy`, found in a section's header, is an earlier load's kept copy
// of the clip: the start of a private allocation, committed and read-only
// for the clip's whole length, holding exactly the clip's bytes. Another
// program may have made the section first, with anything in it; nothing
// else is played.
bool IsKeptCopy(const std::uint8_t* copy, const std::uint8_t* image, std::size_t size) {
  if (copy == nullptr) return false;
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(copy, &region, sizeof region) != sizeof region) return false;
  const bool whole = region.AllocationBase == copy && region.BaseAddress == copy &&
                     region.State == MEM_COMMIT && region.Type == MEM_PRIVATE &&
                     region.Protect == PAGE_READONLY && region.RegionSize >= size;
  return whole && std::memcmp(copy, image, size) == 0;
}

// A copy of the clip in memory of the process's own, read-only and never
// freed, so that it outlives the library.
const std::uint8_t* OwnCopy(const std::uint8_t* image, std::size_t size) {
  void* copy = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, image, size);
  DWORD was = 0;
  VirtualProtect(copy, size, PAGE_READONLY, &was);
  return static_cast<const std::uint8_t*>(copy);
}

const std::uint8_t* KeepClip(const std::uint8_t* image, std::size_t size) {
  wchar_t name[64];
  swprintf(name, std::size(name), L"Local\\Halvane.Clip.%lu.%016llx", GetCurrentProcessId(),
           static_cast<unsigned long long>(ClipHash(image, size)));
  constexpr std::size_t Total = sizeof(KeptClipHeader);
  HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, Total, name);
  if (section == nullptr) return OwnCopy(image, size);
  const bool earlier = GetLastError() == ERROR_ALREADY_EXISTS;
  auto* view = static_cast<std::uint8_t*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, Total));
  if (view == nullptr) {
    CloseHandle(section);
    return OwnCopy(image, size);
  }
  KeptClipHeader header{};
  if (earlier) {
    // Made before this load: an earlier load's copy is played from; a
    // section that says anything else is left to its maker as it is.
    std::memcpy(&header, view, sizeof header);
    UnmapViewOfFile(view);
    CloseHandle(section);
    return IsKeptCopy(header.copy, image, size) ? header.copy : OwnCopy(image, size);
  }
  header.copy = OwnCopy(image, size);
  std::memcpy(view, &header, sizeof header);
  UnmapViewOfFile(view);
  // The handle stays open, so that later loads find the section by its name.
  return header.copy;
}

// This load's clips and their kept copies.
struct KeptClip {
  const std::uint8_t* image;
  const std::uint8_t* copy;
};
constinit KeptClip keptClips[8] = {};

const std::uint8_t* PlayableClip(const std::uint8_t* image, std::size_t size) {
  for (KeptClip& kept : keptClips) {
    if (kept.image == image) return kept.copy;
    if (kept.image != nullptr) continue;
    const std::uint8_t* copy = KeepClip(image, size);
    if (copy == nullptr) return image;  // as before: played from the image
    kept = {image, copy};
    return copy;
  }
  return image;
}

}  // namespace

void PlayWave(const std::uint8_t* image, std::size_t size) {
  PlaySoundA(reinterpret_cast<LPCSTR>(PlayableClip(image, size)), nullptr, SND_ASYNC | SND_MEMORY);
}

}  // namespace platform
