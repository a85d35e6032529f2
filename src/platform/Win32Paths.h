// What the Win32 implementation of the platform services shares between its
// files: UTF-8 text, paths for the file functions (Win32Paths.cpp), and
// whether the system is Wine, whose file calls differ.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The longest path Windows knows, in UTF-16 units.
constexpr std::size_t LongestPath = 32767;

// UTF-8 text from the system's wide characters.
std::string Utf8(std::wstring_view wide);
// A full path (a drive's or a share's) with the \\?\ prefix, which passes it
// to the file system as it stands.
std::wstring Prefixed(std::wstring wide);
// A UTF-8 path as the file functions take it: wide, and Prefixed.
std::wstring FilePath(const std::string& path);

// Whether the plug-in runs under Wine (Win32FileStore.cpp).
bool RunsUnderWine();

}  // namespace platform
