// The settings file's store: Halvane.ini read whole, and saved through a
// temporary that replaces it, or in place under a lock where no temporary
// can; a new file made only where none is; links kept; temporaries left by a
// crash removed.
#include "config/SettingsStore.h"

#include "config/Settings.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace settings_store {

// Whether the file on disk may be written: it was read, or there was none.
// One that is there but could not be read may hold what the player wrote,
// and is never overwritten.
constinit bool fileMayBeWritten = false;

namespace {

// The file is read and written with the C library's streams in binary mode,
// line breaks made and taken apart here, so that nothing depends on the
// process's default file mode: C++ file streams would set up locale state
// that a DLL cannot give back when it is unloaded.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A settings file is a few hundred bytes; anything past this is no settings
// file of ours, and reading it would take the game's memory.
constexpr std::size_t LargestFile = 1024 * 1024;

// The whole of `file`, or Unreadable for a read error or a file larger than
// LargestFile.
ReadOutcome ReadWhole(std::FILE* file, std::string& text) {
  char chunk[4096];
  for (std::size_t read; (read = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    if (read > LargestFile - text.size()) return ReadOutcome::Unreadable;
    text.append(chunk, read);
  }
  return std::ferror(file) ? ReadOutcome::Unreadable : ReadOutcome::Read;
}

}  // namespace

ReadOutcome ReadSettingsFile(std::string& text) {
  errno = 0;
  const File file(platform::OpenFile(SettingsPath, "rb"));
  if (file == nullptr) return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Unreadable;
  return ReadWhole(file.get(), text);
}

namespace {

bool WriteAll(std::FILE* file, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

// No file at all: a new one, gone again if the disk will not take it whole.
// Made only while no file has the name, so that a file that came back (or
// one a failed read only seemed to miss) is never emptied.
bool WriteNewFile(const std::string& path, std::string_view text) {
  File file(platform::OpenFile(path, "wbx"));
  if (file == nullptr) return false;
  const bool written = WriteAll(file.get(), text) && platform::FlushToDisk(file.get());
  if (std::fclose(file.release()) == 0 && written) return true;
  platform::RemoveFile(path);
  return false;
}

// The lock of an in-place write, given back before the stream is closed.
class WholeFileLock {
 public:
  explicit WholeFileLock(std::FILE* file) : file_(file), held_(platform::LockWholeFile(file)) {}
  ~WholeFileLock() {
    if (held_) platform::UnlockWholeFile(file_);
  }
  WholeFileLock(const WholeFileLock&) = delete;
  WholeFileLock& operator=(const WholeFileLock&) = delete;
  bool Held() const { return held_; }

 private:
  std::FILE* file_;
  bool held_;
};

// `text` over the file at `path` where it stands, for when no temporary can
// replace it (or the file has other names that must see the change); true
// when it reached the disk. The new bytes go over the old ones, padded with
// blank lines to the old length, before the file is cut to length: at every
// moment the file reads as the old settings or the new ones, never the new
// text followed by the old one's tail. Where a write or the cut fails the
// old bytes are put back. The file is locked from the read of its old bytes
// to the cut, so that another game process saving it meanwhile is refused
// rather than cut short by this one.
bool WriteInPlace(const std::string& path, std::string_view text) {
  // The stream's buffer holds all that is written through it, so the C
  // library hands the whole text to the system in one write: a crash can
  // leave the old bytes or the new, never a piece of each. It is set before
  // the old bytes are read, as a stream allows, so it is as large as the
  // largest file that is read; only the pages written to are ever touched.
  // It outlives the stream, which is closed first.
  const std::size_t bufferSize = std::max(LargestFile, text.size());
  const auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
  errno = 0;
  File file(platform::OpenFile(path, "r+b"));
  if (file == nullptr) return errno == ENOENT && WriteNewFile(path, text);
  if (std::setvbuf(file.get(), buffer.get(), _IOFBF, bufferSize) != 0) return false;
  const WholeFileLock lock(file.get());
  std::string old;
  if (!lock.Held() || ReadWhole(file.get(), old) != ReadOutcome::Read) return false;
  // Back to the start, or nothing is written: a failed seek would append.
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
  std::string padded(text);
  if (padded.size() < old.size()) padded.resize(old.size(), '\n');
  if (WriteAll(file.get(), padded) && platform::CutFile(file.get(), text.size()) &&
      platform::FlushToDisk(file.get())) {
    return true;
  }
  // The old bytes back, padded over whatever the new text wrote past them,
  // so that even a cut that fails leaves the old settings alone.
  std::string restored(old);
  restored.resize(padded.size(), '\n');
  if (std::fseek(file.get(), 0, SEEK_SET) == 0 && WriteAll(file.get(), restored))
    platform::CutFile(file.get(), old.size());
  return false;
}

// The temporary beside the file at `path`, named for this process, so that
// two game processes saving one file never take each other's.
std::string TemporaryPath(const std::string& path) {
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%lu.tmp", static_cast<unsigned long>(platform::ProcessId()));
  return path + suffix;
}

// A temporary of our own, made new: a file already under that name (left by
// a crash, or a link to some other file) is never written through, but
// removed first. Null when none can be made.
std::FILE* NewTemporary(const std::string& temporary) {
  errno = 0;
  if (std::FILE* file = platform::OpenFile(temporary, "wbx")) return file;
  if (errno != EEXIST || !platform::RemoveFile(temporary)) return nullptr;
  return platform::OpenFile(temporary, "wbx");
}

}  // namespace

// The new content goes to a temporary file beside the settings file, flushed
// to the disk, which then replaces the old one in one step: a crash or a
// power cut at any moment leaves the old file or the new one whole. Where no
// temporary can be made there (a folder the player cannot write to) or the
// replace is refused (another program holds the file open), the file is
// written in place. A temporary that the disk would not take whole is
// dropped and the old file kept. For a New target no file that is there is
// ever replaced or written: the temporary takes the name only while none has
// it, and a file is only made where none is.
//
// A settings file that is a link (as mod managers install files) stays one:
// the file a symbolic link names is the one replaced, its temporary beside
// it; a file with other names (hard links) is written in place, so that
// they all see the change; a symbolic link to nothing is never written
// through nor replaced.
bool Save(Target target) {
  if (!fileMayBeWritten) return false;
  const platform::NamedFile named = platform::FileNamedBy(SettingsPath);
  if (named.kind == platform::NamedFile::Kind::DanglingLink) {
    // Whatever appears at the link's end later is the player's: it is read
    // (at the menu's next opening) before anything is written there.
    fileMayBeWritten = false;
    return false;
  }
  const bool existing = target == Target::Existing;
  const bool linkedFile = existing && named.kind == platform::NamedFile::Kind::File;
  const std::string& path = linkedFile ? named.path : SettingsPath;
  // A file the player marked read-only is kept as it is: neither replaced
  // (which Wine allows, where Windows refuses) nor written in place.
  if (existing && platform::IsReadOnlyFile(path)) return false;
  const std::string text = SettingsText();
  const std::string temporary = TemporaryPath(path);
  // One of the other names may be a temporary of ours that a crash left as a
  // link to the file: it goes, as below, and does not count.
  if (linkedFile && named.otherNames &&
      (!platform::RemoveFile(temporary) || platform::FileNamedBy(path).otherNames)) {
    return WriteInPlace(path, text);
  }
  if (std::FILE* file = NewTemporary(temporary)) {
    const bool written = WriteAll(file, text) && platform::FlushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    // Looked at again right before the replace: the mark may have been set
    // while the temporary was written.
    const bool moved = written && closed &&
                       (existing ? !platform::IsReadOnlyFile(path) && platform::MoveOver(temporary, path)
                                 : platform::MoveToNew(temporary, path));
    if (moved) return true;
    platform::RemoveFile(temporary);
    if (!written || !closed) return false;
  }
  if (!existing) return WriteNewFile(path, text);
  return !platform::IsReadOnlyFile(path) && WriteInPlace(path, text);
}

// Temporaries that no save will take again: the one older releases named
// without a process, and those of processes that no longer run (ended by a
// crash in the middle of a save). This process's own name can only be left
// by an earlier process that had the same id, as nothing of ours has saved
// yet. Only plain files are ever removed.
void RemoveStaleTemporaries() {
  const std::size_t separator = SettingsPath.find_last_of("\\/");
  const std::string folder =
      separator == std::string::npos ? std::string() : SettingsPath.substr(0, separator + 1);
  const std::string_view prefix = std::string_view(SettingsPath).substr(folder.size());
  for (const std::string& name : platform::FilesIn(folder)) {
    std::string_view rest(name);
    if (rest.size() < prefix.size() + 4 || !rest.starts_with(prefix) || !rest.ends_with(".tmp")) continue;
    rest = rest.substr(prefix.size(), rest.size() - prefix.size() - 4);
    bool stale = rest.empty();
    const std::string_view digits = rest.substr(std::min<std::size_t>(rest.size(), 1));
    const bool number =
        rest.starts_with('.') && !digits.empty() && digits.size() <= 10 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (number) {
      std::uint64_t id = 0;
      for (const char c : digits) id = id * 10 + static_cast<std::uint64_t>(c - '0');
      // Neither 0 nor an id past 32 bits names a process that can run.
      stale = id == 0 || id > UINT32_MAX || id == platform::ProcessId() ||
              !platform::ProcessRuns(static_cast<std::uint32_t>(id));
    }
    // A name that leads elsewhere (a link, which Wine lists as a plain file)
    // or that the file shares with another is left alone.
    const std::string temporary = folder + name;
    const platform::NamedFile named = platform::FileNamedBy(temporary);
    const bool plain =
        named.kind == platform::NamedFile::Kind::File && named.path == temporary && !named.otherNames;
    if (stale && plain) platform::RemoveFile(temporary);
  }
}

}  // namespace settings_store
