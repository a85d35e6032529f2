// The settings file's text: as it is read, and as every save writes it.
#include "config/Config.h"
#include "config/Number.h"
#include "config/Settings.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

// A speed limit must be a positive number: nothing, NaN, zero or a negative
// value would flip or pin the car, and leaves the limit as it was. Numbers
// outside the float range change nothing either; infinity means no limit.
void LoadSpeed(std::string_view value, float& limit) {
  const std::optional<float> number = ReadFloat(value);
  if (number && *number > 0.0F) limit = *number;
}

// Keys and values are compared byte for byte; a NUL is a byte like any other.
void LoadLine(std::string_view line) {
  if (line.empty() || line[0] == ';' || line[0] == '[') return;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  for (const SettingEntry& setting : SettingsTable) {
    if (key != setting.fileKey) continue;
    switch (setting.kind) {
      case SettingKind::Binding:
        if (const KeyCode code = KeyCodeFromName(value); code != -1) Config.*setting.binding = code;
        return;
      case SettingKind::Switch:
        Config.*setting.flag = value == "1";
        return;
      case SettingKind::Speed:
        LoadSpeed(value, GearSpeed(setting.gear));
        return;
    }
  }
}

// General notation with six significant digits, as a default output stream
// writes a number, with a point for the decimal separator whatever the
// locale of the C library says. Where six digits do not read back as the
// very number in use (a limit stepped to 1000.28, or one of millions), the
// fewest more that do, up to the nine that any normal float needs.
// `speed` printed with `format` and `precision`, a point for the decimal
// separator.
std::string Printed(const char* format, int precision, float speed) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, format, precision, static_cast<double>(speed));
  std::string printed(text,
                      static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof text) - 1)));
  std::replace(printed.begin(), printed.end(), ',', '.');
  return printed;
}

std::string SpeedText(float speed) {
  std::string written;
  for (int digits = 6; digits <= 9; ++digits) {
    written = Printed("%.*g", digits, speed);
    if (ReadFloat(written) == speed) return written;
  }
  // Below the smallest normal float no decimal reads back exactly; the
  // hexadecimal form, which is how a file can give such a number, does.
  std::string hexadecimal = Printed("%.*a", -1, speed);
  return ReadFloat(hexadecimal) == speed ? hexadecimal : written;
}

// A setting's value as the file writes it.
std::string ValueText(const SettingEntry& setting) {
  switch (setting.kind) {
    case SettingKind::Binding:
      return KeyName(Config.*setting.binding);
    case SettingKind::Switch:
      return Config.*setting.flag ? "1" : "0";
    case SettingKind::Speed:
      return SpeedText(GearSpeed(setting.gear));
  }
  return "";
}

}  // namespace

std::string SettingsText() {
  std::string text;
  text.reserve(512);  // the whole file, in one allocation
  const SettingEntry* previous = nullptr;
  for (const SettingEntry& setting : SettingsTable) {
    if (previous == nullptr || previous->kind != setting.kind) {
      text += SectionOf(setting.kind);
      text += platform::LineBreak;
    }
    previous = &setting;
    text += setting.fileKey;
    text += '=';
    text += ValueText(setting);
    text += platform::LineBreak;
  }
  return text;
}

void LoadSettingsText(std::string_view text) {
  // An editor's UTF-8 byte-order mark is no part of the first line.
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(ByteOrderMark)) text.remove_prefix(ByteOrderMark.size());
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    // As text mode reads it: the CR of a CR LF pair goes, any other CR stays.
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    LoadLine(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}
