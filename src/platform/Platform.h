// The operating-system services the plug-in uses. On Windows these are the
// Win32 calls; elsewhere the substitute host provides them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace platform {

// Layout of XINPUT_GAMEPAD and XINPUT_STATE.
struct PadButtons {
  std::uint16_t wButtons;
  std::uint8_t bLeftTrigger;
  std::uint8_t bRightTrigger;
  std::int16_t sThumbLX;
  std::int16_t sThumbLY;
  std::int16_t sThumbRX;
  std::int16_t sThumbRY;
};
struct PadSample {
  std::uint32_t dwPacketNumber;
  PadButtons Gamepad;
};
static_assert(sizeof(PadSample) == 16);

struct MemoryImage {
  const std::uint8_t* base;
  std::size_t size;
};

// A run of pages that share one state: all readable, or none.
struct MemoryRegion {
  const std::uint8_t* base;
  std::size_t size;
  bool readable;
};

// GetAsyncKeyState: bit 0x8000 is set while the key is down.
std::int16_t AsyncKeyState(int virtualKey);
// XInputGetState for pad 0: 0 on success, which fills `sample`.
std::uint32_t ReadPad(PadSample& sample);
// GetTickCount.
std::uint32_t TickCount();
// Starts a complete in-memory WAVE image playing asynchronously.
void PlayWave(const std::uint8_t* image, std::size_t size);
// Paths are UTF-8 throughout, so that folders with any letters in their
// names work; Windows gets them as wide characters.

// Full file name of the library that contains `addressInLibrary`, or nothing
// when no library contains it.
std::optional<std::string> LibraryFileName(const void* addressInLibrary);
// The user's roaming application-data folder, or nothing.
std::optional<std::string> RoamingAppDataFolder();
// std::fopen for a UTF-8 path, other programs allowed to read and write the
// file meanwhile; null with errno set when it cannot be opened. The modes are
// "rb", "r+b", "wb" and "wbx": a new file only, failing with EEXIST when the
// name is taken by a file (or a link) already.
std::FILE* OpenFile(const std::string& path, const char* mode);
// Hands what the stream holds to the disk itself (fflush, then fsync or
// _commit), so that a power cut cannot lose it; false when that fails.
bool FlushToDisk(std::FILE* file);
// Cuts or extends the file of `file` to `length` bytes; false when that fails.
bool CutFile(std::FILE* file, std::uint64_t length);
// Replaces `target` with `source` in one step (the file system's rename);
// false, with both files left as they were, when that cannot be done.
bool MoveOver(const std::string& source, const std::string& target);
// Renames `source` to `target` in one step only while no file has that name;
// false, with both left as they were, when one has or the rename fails.
bool MoveToNew(const std::string& source, const std::string& target);
// Deletes a file (never a folder); false when it cannot.
bool RemoveFile(const std::string& path);
// Whether `path` names a file that carries the read-only mark (on Windows
// its read-only attribute; elsewhere, no write permission for anyone).
bool IsReadOnlyFile(const std::string& path);
// This process's id: names what two game processes must not share.
std::uint32_t ProcessId();
// The separator between a folder and a file name.
extern const char PathSeparator;
// The end of a line in a text file: CR LF on Windows.
extern const char* const LineBreak;
// The game's main executable image; size 0 when it cannot be obtained.
MemoryImage MainImage();
// The region of memory around `address` (VirtualQuery): readable means
// committed, neither guarded nor forbidden, and open to reading.
MemoryRegion RegionAt(const std::uint8_t* address);

}  // namespace platform
