// Every setting once: its key in Halvane.ini, its label in the menu, and the
// field of Config it holds. Loading, saving, the menu's rows and their
// drawing all read this table.
#pragma once

#include "config/Config.h"

#include <array>
#include <cstdint>
#include <string_view>

enum class SettingKind { Binding, Switch, Speed };

struct SettingEntry {
  std::string_view fileKey;
  const char* menuLabel;  // null: the menu does not show it
  SettingKind kind;
  KeyCode ConfigRecord::*binding;  // a Binding's field
  bool ConfigRecord::*flag;        // a Switch's field
  std::int32_t gear;               // a Speed's gear, 1 to LimitedGearCount
};

namespace settings_table {
constexpr SettingEntry Binding(std::string_view key, const char* label, KeyCode ConfigRecord::*field) {
  return {key, label, SettingKind::Binding, field, nullptr, 0};
}
constexpr SettingEntry Switch(std::string_view key, const char* label, bool ConfigRecord::*field) {
  return {key, label, SettingKind::Switch, nullptr, field, 0};
}
constexpr SettingEntry Speed(std::string_view key, const char* label, std::int32_t gear) {
  return {key, label, SettingKind::Speed, nullptr, nullptr, gear};
}
}  // namespace settings_table

// In the order of the file; the menu shows them in the same order.
inline constexpr std::array<SettingEntry, 13> SettingsTable = {
    settings_table::Binding("SafetyToggle", "Safety Toggle", &ConfigRecord::SafetyToggle),
    settings_table::Binding("Reload", nullptr, &ConfigRecord::Reload),
    settings_table::Binding("Menu", "Menu Key", &ConfigRecord::Menu),
    settings_table::Binding("Engine", "Engine Toggle", &ConfigRecord::Engine),
    settings_table::Binding("Surrender", "Surrender", &ConfigRecord::Surrender),
    settings_table::Binding("GearUp", "Gear Up", &ConfigRecord::GearUp),
    settings_table::Binding("GearDown", "Gear Down", &ConfigRecord::GearDown),
    settings_table::Switch("HideAmmoHud", "Hide Ammo Counter", &ConfigRecord::HideAmmoHud),
    settings_table::Switch("GearSystem", "Gear System", &ConfigRecord::GearSystem),
    settings_table::Speed("Gear1", "Gear 1", 1),
    settings_table::Speed("Gear2", "Gear 2", 2),
    settings_table::Speed("Gear3", "Gear 3", 3),
    settings_table::Speed("Gear4", "Gear 4", 4),
};

// `setting`'s value in `from`, put into `to`.
constexpr void CopySetting(ConfigRecord& to, const ConfigRecord& from, const SettingEntry& setting) {
  switch (setting.kind) {
    case SettingKind::Binding:
      to.*setting.binding = from.*setting.binding;
      return;
    case SettingKind::Switch:
      to.*setting.flag = from.*setting.flag;
      return;
    case SettingKind::Speed:
      to.GearSpeeds[static_cast<std::size_t>(setting.gear - 1)] =
          from.GearSpeeds[static_cast<std::size_t>(setting.gear - 1)];
      return;
  }
}

// The file's section header before the settings of a kind.
constexpr const char* SectionOf(SettingKind kind) {
  switch (kind) {
    case SettingKind::Binding:
      return "[Keybindings]";
    case SettingKind::Switch:
      return "[Settings]";
    case SettingKind::Speed:
      return "[GearSpeeds]";
  }
  return "";
}
