// The settings file's store on the substitute host: files opened, flushed,
// cut, moved, replaced (the permission bits kept), removed and locked, links
// followed, and the plain files of a folder; the file log, and the faults a
// test asks for (short writes, a failing temporary, opens that miss, a
// failing replace or cut), with every write seen as it reaches the file.
#include "Allocations.h"
#include "Host.h"
#include "PlainFiles.h"
#include "PlatformHost.h"
#include "platform/Platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

void AfterFileCall() {
  if (const auto& hook = ActiveHost().environment.afterFileCall) hook();
}

// Files opened while every write is to be seen: streams whose writes go
// straight to their descriptor, one call at a time, through these functions.
struct WatchedFile {
  int descriptor;
  std::FILE* stream;
  bool temporary;  // the settings file's temporary, which a fault may hit
};

bool TemporaryFaults(const WatchedFile& file, sim::Environment::TemporaryFault fault) {
  return file.temporary && ActiveHost().environment.temporaryFault == fault;
}
std::map<std::FILE*, int> watchedDescriptors;

ssize_t ReadWatched(void* cookie, char* buffer, std::size_t size) {
  return read(static_cast<WatchedFile*>(cookie)->descriptor, buffer, size);
}
ssize_t WriteWatched(void* cookie, const char* buffer, std::size_t size) {
  auto* watched = static_cast<WatchedFile*>(cookie);
  sim::Environment& environment = ActiveHost().environment;
  if (TemporaryFaults(*watched, sim::Environment::TemporaryFault::Write)) {
    errno = ENOSPC;
    return -1;
  }
  if (environment.shortWrites > 0 && size > 1) {
    --environment.shortWrites;
    size /= 2;
  }
  const ssize_t written = write(watched->descriptor, buffer, size);
  AfterFileCall();
  return written;
}
int SeekWatched(void* cookie, off64_t* position, int whence) {
  const off_t at = lseek(static_cast<WatchedFile*>(cookie)->descriptor, *position, whence);
  if (at < 0) return -1;
  *position = at;
  return 0;
}
int CloseWatched(void* cookie) {
  auto* watched = static_cast<WatchedFile*>(cookie);
  watchedDescriptors.erase(watched->stream);
  const int closed = close(watched->descriptor);
  const bool fails = TemporaryFaults(*watched, sim::Environment::TemporaryFault::Close);
  delete watched;
  if (fails) errno = EIO;
  return fails ? -1 : closed;
}

std::FILE* OpenWatched(const std::string& path, std::string_view mode) {
  int flags = O_RDONLY;
  if (mode == "r+b") flags = O_RDWR;
  if (mode == "wb") flags = O_WRONLY | O_CREAT | O_TRUNC;
  if (mode == "wbx") flags = O_WRONLY | O_CREAT | O_EXCL;
  const int descriptor = open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (descriptor < 0) return nullptr;
  auto* watched = new WatchedFile{descriptor, nullptr, path.ends_with(".tmp")};
  std::FILE* stream = fopencookie(watched,
                                  mode == "rb"    ? "rb"
                                  : mode == "r+b" ? "r+b"
                                                  : "wb",
                                  {ReadWatched, WriteWatched, SeekWatched, CloseWatched});
  if (stream == nullptr) {
    close(descriptor);
    delete watched;
    return nullptr;
  }
  watched->stream = stream;
  watchedDescriptors[stream] = descriptor;
  return stream;
}

int Descriptor(std::FILE* file) {
  const auto watched = watchedDescriptors.find(file);
  return watched != watchedDescriptors.end() ? watched->second : fileno(file);
}

// The path an open file stands for, as the file log names it.
std::string PathOf(std::FILE* file) {
  const std::string link = "/proc/self/fd/" + std::to_string(Descriptor(file));
  char path[4096];
  const ssize_t length = readlink(link.c_str(), path, sizeof path);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : link;
}
}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const sim::HostCode hostCode;
  ThrowIfAsked("OpenFile");
  if (int& missing = ActiveHost().environment.missingOpens; missing > 0 && !path.ends_with(".tmp")) {
    --missing;
    errno = ENOENT;
    return nullptr;
  }
  const sim::Environment& environment = ActiveHost().environment;
  if (environment.afterFileCall || environment.shortWrites > 0 ||
      environment.temporaryFault != sim::Environment::TemporaryFault::None) {
    return OpenWatched(path, mode);
  }
  return std::fopen(path.c_str(), mode);
}

bool FlushToDisk(std::FILE* file) {
  const sim::HostCode hostCode;
  const auto watched = watchedDescriptors.find(file);
  const bool faulty = watched != watchedDescriptors.end() && PathOf(file).ends_with(".tmp") &&
                      ActiveHost().environment.temporaryFault == sim::Environment::TemporaryFault::Flush;
  const bool flushed = std::fflush(file) == 0 && !faulty && fsync(Descriptor(file)) == 0;
  if (flushed) ActiveHost().fileLog.push_back("sync " + PathOf(file));
  AfterFileCall();
  return flushed;
}

bool CutFile(std::FILE* file, std::uint64_t length) {
  const sim::HostCode hostCode;
  if (ActiveHost().environment.cutFails) return false;
  const bool cut = std::fflush(file) == 0 && ftruncate(Descriptor(file), static_cast<off_t>(length)) == 0;
  AfterFileCall();
  return cut;
}

bool MoveToNew(const std::string& source, const std::string& target) {
  const sim::HostCode hostCode;
  if (ActiveHost().environment.replaceFails) return false;
  const bool moved = renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
  if (moved) ActiveHost().fileLog.push_back("move " + source + " " + target);
  AfterFileCall();
  return moved;
}

// The temporary takes the permission bits of the file it replaces, so that
// a file the player kept to themselves stays so; a file marked read-only is
// never replaced.
bool MoveOver(const std::string& source, const std::string& target) {
  const sim::HostCode hostCode;
  if (ActiveHost().environment.replaceFails) return false;
  struct stat replaced {};
  if (stat(target.c_str(), &replaced) == 0) {
    if (S_ISREG(replaced.st_mode) && (replaced.st_mode & 0222) == 0) {
      errno = EACCES;
      return false;
    }
    const int descriptor = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const bool marked = descriptor >= 0 && fchmod(descriptor, replaced.st_mode & 07777) == 0;
    if (descriptor >= 0) close(descriptor);
    if (!marked) return false;
  }
  const bool moved = std::rename(source.c_str(), target.c_str()) == 0;
  if (moved) ActiveHost().fileLog.push_back("move " + source + " " + target);
  AfterFileCall();
  return moved;
}

bool RemoveFile(const std::string& path) {
  const sim::HostCode hostCode;
  const bool removed = unlink(path.c_str()) == 0;
  AfterFileCall();
  return removed;
}

bool LockWholeFile(std::FILE* file) {
  const sim::HostCode hostCode;
  return std::fflush(file) == 0 && flock(Descriptor(file), LOCK_EX | LOCK_NB) == 0;
}

void UnlockWholeFile(std::FILE* file) {
  const sim::HostCode hostCode;
  std::fflush(file);
  flock(Descriptor(file), LOCK_UN);
}

NamedFile FileNamedBy(const std::string& path) {
  const sim::HostCode hostCode;
  using Kind = NamedFile::Kind;
  struct stat name {};
  if (lstat(path.c_str(), &name) != 0) return {errno == ENOENT ? Kind::None : Kind::Unknown, path};
  if (!S_ISLNK(name.st_mode)) {
    return {S_ISREG(name.st_mode) ? Kind::File : Kind::Unknown, path,
            S_ISREG(name.st_mode) && name.st_nlink > 1};
  }
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr)
    return {errno == ENOENT || errno == ELOOP ? Kind::DanglingLink : Kind::Unknown, path};
  const std::string file(resolved);
  std::free(resolved);
  struct stat target {};
  if (stat(file.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) return {Kind::Unknown, path};
  return {Kind::File, file, target.st_nlink > 1};
}

std::vector<std::string> FilesIn(const std::string& folder) {
  const sim::HostCode hostCode;
  return sim::PlainFilesIn(folder);
}

// The tests run as root, whom the permission bits do not stop: the mark is
// read from them instead.
bool IsReadOnlyFile(const std::string& path) {
  const sim::HostCode hostCode;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

}  // namespace platform
