// The null host's files in memory, for fuzz targets that save on nearly
// every input: the plug-in's own save path runs unchanged (temporary, flush,
// replace, and the in-place write where that fails) through C streams whose
// bytes live in a table of named buffers, so that no save waits on the
// kernel. glibc's fopencookie gives the streams.
#include "NullHost.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The files by name. A name points at the file's bytes as a directory entry
// points at a file: an open stream keeps the bytes it opened, whatever is
// removed or moved over that name meanwhile, as on the disk.
using Bytes = std::shared_ptr<std::string>;
std::map<std::string, Bytes, std::less<>> files;

struct Stream {
  explicit Stream(Bytes opened) : bytes(std::move(opened)) {}
  Bytes bytes;
  std::size_t position = 0;
  std::FILE* file = nullptr;
  char buffer[1024];  // the C library's; without one it reads a byte a call
};

// The streams open now, by their FILE, for cutting a file to length.
std::map<std::FILE*, Stream*> openStreams;

ssize_t ReadStream(void* cookie, char* buffer, std::size_t size) {
  auto& stream = *static_cast<Stream*>(cookie);
  const std::string* bytes = stream.bytes.get();
  if (stream.position >= bytes->size()) return 0;
  const std::size_t count = std::min(size, bytes->size() - stream.position);
  std::memcpy(buffer, bytes->data() + stream.position, count);
  stream.position += count;
  return static_cast<ssize_t>(count);
}

ssize_t WriteStream(void* cookie, const char* buffer, std::size_t size) {
  auto& stream = *static_cast<Stream*>(cookie);
  std::string* bytes = stream.bytes.get();
  if (bytes->size() < stream.position + size) bytes->resize(stream.position + size);
  std::memcpy(bytes->data() + stream.position, buffer, size);
  stream.position += size;
  return static_cast<ssize_t>(size);
}

int SeekStream(void* cookie, off64_t* offset, int whence) {
  auto& stream = *static_cast<Stream*>(cookie);
  const off64_t origin = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<off64_t>(stream.position)
                                              : static_cast<off64_t>(stream.bytes->size());
  if (origin + *offset < 0) return -1;
  stream.position = static_cast<std::size_t>(origin + *offset);
  *offset = origin + *offset;
  return 0;
}

int CloseStream(void* cookie) {
  auto* stream = static_cast<Stream*>(cookie);
  openStreams.erase(stream->file);
  delete stream;
  return 0;
}

}  // namespace

namespace null_host {

void ClearFiles() { files.clear(); }

std::optional<std::string_view> FileContents(const std::string& path) {
  const auto file = files.find(path);
  if (file == files.end()) return std::nullopt;
  return *file->second;
}

}  // namespace null_host

namespace platform {

// "rb" and "r+b" open a file that is there, "wb" makes it or empties it,
// "wbx" makes it only if it is not there; the plug-in opens with no other mode.
std::FILE* OpenFile(const std::string& path, const char* mode) {
  std::string_view how = mode;
  auto file = files.find(path);
  if (how == "wbx") {
    if (file != files.end()) {
      errno = EEXIST;
      return nullptr;
    }
    how = "wb";
  }
  if (how == "wb") {
    if (file == files.end()) file = files.emplace(path, std::make_shared<std::string>()).first;
    file->second->clear();
  } else if (how != "rb" && how != "r+b") {
    errno = EINVAL;
    return nullptr;
  } else if (file == files.end()) {
    errno = ENOENT;
    return nullptr;
  }
  auto* stream = new Stream(file->second);
  std::FILE* opened =
      fopencookie(stream, how == "rb" ? "rb" : "r+b", {ReadStream, WriteStream, SeekStream, CloseStream});
  if (opened == nullptr) {
    delete stream;
    return nullptr;
  }
  std::setvbuf(opened, stream->buffer, _IOFBF, sizeof stream->buffer);
  stream->file = opened;
  openStreams[opened] = stream;
  return opened;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0; }

bool CutFile(std::FILE* file, std::uint64_t length) {
  const auto stream = openStreams.find(file);
  if (std::fflush(file) != 0 || stream == openStreams.end()) return false;
  stream->second->bytes->resize(length);
  return true;
}

bool MoveToNew(const std::string& source, const std::string& target) {
  return !files.contains(target) && MoveOver(source, target);
}

bool MoveOver(const std::string& source, const std::string& target) {
  const auto file = files.find(source);
  if (file == files.end()) return false;
  Bytes bytes = std::move(file->second);
  files.erase(file);
  files[target] = std::move(bytes);
  return true;
}

bool RemoveFile(const std::string& path) { return files.erase(path) == 1; }

// Files in memory carry no read-only mark and no links; one process holds them.
bool IsReadOnlyFile(const std::string&) { return false; }
bool LockWholeFile(std::FILE*) { return true; }
void UnlockWholeFile(std::FILE*) {}
NamedFile FileNamedBy(const std::string& path) {
  return {files.contains(path) ? NamedFile::Kind::File : NamedFile::Kind::None, path};
}
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [path, bytes] : files) {
    if (path.starts_with(folder) && path.find('/', folder.size()) == std::string::npos)
      names.push_back(path.substr(folder.size()));
  }
  return names;
}
bool ProcessRuns(std::uint32_t processId) { return processId == ProcessId(); }
std::uint32_t ProcessId() { return 1; }

}  // namespace platform
