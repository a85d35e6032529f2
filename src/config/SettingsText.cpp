// The settings file's text, as every save writes it.
#include "config/Config.h"
#include "config/Settings.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// General notation with six significant digits, as a default output stream
// writes a number, with a point for the decimal separator whatever the
// locale of the C library says.
std::string SpeedText(float speed) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%g", static_cast<double>(speed));
  std::string written(text,
                      static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof text) - 1)));
  for (char& c : written) {
    if (c == ',') c = '.';
  }
  return written;
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
