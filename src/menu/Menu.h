// The in-game settings menu: key bindings, switches and gear speed limits,
// saved to the settings file on every change.
#pragma once

#include "config/Config.h"

#include <array>
#include <cstdint>

enum class MenuPage { KeybindingsPage, GearSpeedsPage };

struct MenuStateRecord {
  bool open;
  MenuPage page;
  std::int32_t keyRow;   // 0 to 8
  std::int32_t gearRow;  // 1 to 4
  bool capturing;
  std::int32_t captureRow;  // 0 to 5, or -1
  // Edge latches of the menu actions; Up and Down share the gear system's.
  bool backLatch;
  bool leftLatch;
  bool rightLatch;
  bool selectLatch;
};
extern MenuStateRecord MenuState;
extern bool MenuKeyLatch;

struct BindingRow {
  const char* label;
  KeyCode ConfigRecord::*binding;
};
// Rows 0 to 5 of the keybindings page.
extern const std::array<BindingRow, 6> BindingRows;
inline constexpr std::int32_t KeybindingRowCount = 9;

// One step of a speed limit adjustment, in m/s.
inline constexpr float GearSpeedStep = 0.2778F;

// Opens or closes the menu when the Menu binding fires.
void MenuToggleStep();
void DrawMenu();
void HandleMenuInput();

// Speed limit adjustments of gear 1 to 4, keeping the gears in order.
void RaiseGearSpeed(std::int32_t gear);
void LowerGearSpeed(std::int32_t gear);
