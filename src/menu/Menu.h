// The in-game settings menu: key bindings, switches and gear speed limits,
// saved to the settings file on every change.
#pragma once

#include "config/SettingsTable.h"

#include <array>
#include <cstdint>

enum class MenuPage { KeybindingsPage, GearSpeedsPage };

struct MenuStateRecord {
  bool open;
  MenuPage page;
  std::int32_t keyRow;   // 0 to GearSpeedsRow
  std::int32_t gearRow;  // 1 to LimitedGearCount
  bool capturing;
  std::int32_t captureRow;  // a binding row, or -1
  // Edge latches of the menu actions; Up and Down share the gear system's.
  bool backLatch;
  bool leftLatch;
  bool rightLatch;
  bool selectLatch;
};
extern MenuStateRecord MenuState;

namespace menu_rows {
template <class Keep>
constexpr std::size_t Count(Keep keep) {
  std::size_t count = 0;
  for (const SettingEntry& setting : SettingsTable) count += keep(setting) ? 1U : 0U;
  return count;
}
template <std::size_t N, class Keep>
constexpr std::array<const SettingEntry*, N> Select(Keep keep) {
  std::array<const SettingEntry*, N> rows{};
  std::size_t next = 0;
  for (const SettingEntry& setting : SettingsTable) {
    if (keep(setting)) rows[next++] = &setting;
  }
  return rows;
}
inline constexpr auto OnKeybindingsPage = [](const SettingEntry& setting) {
  return setting.menuLabel != nullptr && setting.kind != SettingKind::Speed;
};
inline constexpr auto OnGearSpeedsPage = [](const SettingEntry& setting) {
  return setting.kind == SettingKind::Speed;
};
}  // namespace menu_rows

// The keybindings page: the bindings and switches the menu shows, in the
// table's order, then the row that opens the gear speeds page.
inline constexpr auto KeybindingSettings =
    menu_rows::Select<menu_rows::Count(menu_rows::OnKeybindingsPage)>(menu_rows::OnKeybindingsPage);
inline constexpr auto GearSpeedsRow = static_cast<std::int32_t>(KeybindingSettings.size());
inline constexpr std::int32_t KeybindingRowCount = GearSpeedsRow + 1;
// The gear speeds page: gears 1 to LimitedGearCount.
inline constexpr auto GearSpeedSettings =
    menu_rows::Select<menu_rows::Count(menu_rows::OnGearSpeedsPage)>(menu_rows::OnGearSpeedsPage);
static_assert(GearSpeedSettings.size() == LimitedGearCount);

// Whether `row` of the keybindings page holds a binding (and so starts a capture).
constexpr bool IsBindingRow(std::int32_t row) {
  return row >= 0 && row < GearSpeedsRow &&
         KeybindingSettings[static_cast<std::size_t>(row)]->kind == SettingKind::Binding;
}

// One step of a speed limit adjustment, in m/s.
inline constexpr float GearSpeedStep = 0.2778F;

// Opens or closes the menu when the Menu binding fires.
void MenuToggleStep();
void DrawMenu();
void HandleMenuInput();
// Closed, first rows selected, no capture, keys released: the state at load.
void ResetMenu();

// Speed limit adjustments of gear 1 to LimitedGearCount, keeping the gears in order.
void RaiseGearSpeed(std::int32_t gear);
void LowerGearSpeed(std::int32_t gear);
// After the settings file was read at last over limits the player set: each
// gear the player set stays above the nearest figure below it, and pushes
// the gear above it a step higher when it reaches it, as the presses would
// have done with the file's limits in force.
void KeepPlayersGearsInOrder();
