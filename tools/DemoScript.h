// Reading the demo player's script: its words, its keys and its numbers, and
// the error that stops the play at a wrong line.
#pragma once

#include "input/KeyNames.h"

#include <charconv>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

// What is wrong with a line of the script.
struct ScriptError {
  std::string message;
};

inline std::optional<KeyCode> ParseKey(const std::string& name) {
  static const std::map<std::string, KeyCode> extra = {
      {"LMB", 0x01},   {"RMB", 0x02},   {"MMB", 0x04},  {"BACKSPACE", 0x08}, {"TAB", 0x09},
      {"ENTER", 0x0D}, {"SHIFT", 0x10}, {"CTRL", 0x11}, {"SPACE", 0x20},     {"LEFT", 0x25},
      {"UP", 0x26},    {"RIGHT", 0x27}, {"DOWN", 0x28}};
  if (const auto found = extra.find(name); found != extra.end()) return found->second;
  const KeyCode code = KeyCodeFromName(name);
  if (code == -1) return std::nullopt;
  return code;
}

template <class T>
T Number(const std::string& text, const char* what) {
  T value{};
  const int base = text.rfind("0x", 0) == 0 ? 16 : 10;
  const char* first = text.data() + (base == 16 ? 2 : 0);
  const char* last = text.data() + text.size();
  std::from_chars_result result;
  if constexpr (std::is_floating_point_v<T>) {
    result = std::from_chars(first, last, value);
  } else {
    result = std::from_chars(first, last, value, base);
  }
  if (text.empty() || result.ec != std::errc() || result.ptr != last) {
    throw ScriptError{std::string("expected ") + what + ", found '" + text + "'"};
  }
  return value;
}

// The words of a line, up to a '#'.
inline std::vector<std::string> Words(const std::string& line) {
  std::istringstream stream(line.substr(0, line.find('#')));
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}
