// The text and paths the Win32 files of the platform services share: UTF-8
// from and to the system's wide characters, and paths for the file functions.
#include "platform/Win32Paths.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), size);
  return wide;
}

}  // namespace

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
  return text;
}

// A path for the file functions. A full path (a drive's or a share's) takes
// the \\?\ prefix, which passes it to the file system as it stands: without
// it Windows refuses a path of MAX_PATH characters or more, and drops a dot
// or a space that ends a folder's name, leading to another folder. The
// library's own path, which these paths come from, is already a whole one.
std::wstring Prefixed(std::wstring wide) {
  if (wide.starts_with(LR"(\\?\)")) return wide;
  if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return LR"(\\?\)" + wide;
  if (wide.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + wide.substr(2);
  return wide;
}
std::wstring FilePath(const std::string& path) { return Prefixed(Wide(path)); }

}  // namespace platform
