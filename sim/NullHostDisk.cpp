// The null host's files on the disk, for the benchmarks and the fuzz
// targets that go through the file system itself.
#include "platform/Platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace platform
