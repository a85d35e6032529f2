// The null host's files on the disk, for the benchmarks and the fuzz
// targets that go through the file system itself.
#include "PlainFiles.h"
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace platform {

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
bool MoveToNew(const std::string& source, const std::string& target) {
  return renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
}
bool MoveOver(const std::string& source, const std::string& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}
bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }
bool CutFile(std::FILE* file, std::uint64_t length) {
  return std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
}
bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }
bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}
bool LockWholeFile(std::FILE* file) { return flock(fileno(file), LOCK_EX | LOCK_NB) == 0; }
void UnlockWholeFile(std::FILE* file) { flock(fileno(file), LOCK_UN); }
// No links where these files are kept: a name is a file or nothing.
NamedFile FileNamedBy(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {NamedFile::Kind::None, path};
  return {S_ISREG(info.st_mode) ? NamedFile::Kind::File : NamedFile::Kind::Unknown, path};
}
std::vector<std::string> FilesIn(const std::string& folder) { return sim::PlainFilesIn(folder); }
bool ProcessRuns(std::uint32_t processId) {
  return processId > 0 && processId <= static_cast<std::uint32_t>(INT32_MAX) &&
         (kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH);
}
std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace platform
