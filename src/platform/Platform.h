// The operating-system services the plug-in uses. On Windows these are the
// Win32 calls; elsewhere the substitute host provides them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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
// Replaces `target` with `source` in one step, `source` taking the marks of
// `target` (its hidden and system attributes on Windows; elsewhere its
// permission bits); false, with both files left as they were, when that
// cannot be done or `target` is marked read-only.
bool MoveOver(const std::string& source, const std::string& target);
// Renames `source` to `target` in one step only while no file has that name;
// false, with both left as they were, when one has or the rename fails.
bool MoveToNew(const std::string& source, const std::string& target);
// Deletes a file (never a folder); false when it cannot.
bool RemoveFile(const std::string& path);
// Takes the whole file of `file` for this stream alone until UnlockWholeFile
// or its close: another process (or another open of it) asking the same is
// refused at once, never kept waiting. False when the file is taken already
// or cannot be locked.
bool LockWholeFile(std::FILE* file);
void UnlockWholeFile(std::FILE* file);
// What a path leads to, for writing the file there without breaking a link.
struct NamedFile {
  enum class Kind {
    None,          // nothing has the name
    File,          // a file: directly, or through symbolic links
    DanglingLink,  // a symbolic link to nothing (or to itself, round a loop)
    Unknown,       // a folder, or something that cannot be looked at
  };
  Kind kind = Kind::Unknown;
  // For a File: the path of the file itself, every symbolic link followed;
  // the path as given when it names the file directly.
  std::string path;
  // The file has other names besides (hard links), which must see its changes.
  bool otherNames = false;
};
NamedFile FileNamedBy(const std::string& path);
// The names of the plain files in `folder` (a path that ends with the
// separator; empty for the current folder): never a folder, a link or a
// device. Empty when the folder cannot be listed.
std::vector<std::string> FilesIn(const std::string& folder);
// Whether a process with this id runs now. A process that cannot be looked
// at (another user's) counts as running.
bool ProcessRuns(std::uint32_t processId);
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
