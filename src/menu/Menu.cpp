#include "menu/Menu.h"

#include "config/Settings.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"
#include "input/Input.h"
#include "input/KeyNames.h"
#include "menu/KeyCapture.h"
#include "vehicle/Gear.h"
#include "vehicle/GearDisplay.h"

#include <exception>

constexpr MenuStateRecord MenuAtLoad = {
    false, MenuPage::KeybindingsPage, 0, 1, false, -1, false, false, false, false};
constinit MenuStateRecord MenuState = MenuAtLoad;

namespace {

// The edge latch of the Menu binding.
constinit bool MenuKeyLatch = false;
// Whether this opening of the menu has told the player that a change could
// not be saved.
constinit bool unsavedNoticePosted = false;

// The six menu actions: a fixed key, or its pad button while a pad is connected.
struct MenuActions {
  bool back;
  bool up;
  bool down;
  bool left;
  bool right;
  bool select;
};

bool ActionDown(KeyCode key, std::uint16_t padBit) {
  return IsKeyDown(key) || (PadState.connected && (PadState.state.Gamepad.wButtons & padBit) != 0);
}

MenuActions ReadActions() {
  return {ActionDown(fixed_key::Backspace, pad_bit::B),     ActionDown(fixed_key::Up, pad_bit::DpadUp),
          ActionDown(fixed_key::Down, pad_bit::DpadDown),   ActionDown(fixed_key::Left, pad_bit::DpadLeft),
          ActionDown(fixed_key::Right, pad_bit::DpadRight), ActionDown(fixed_key::Enter, pad_bit::A)};
}

bool Fires(bool down, bool latch) { return down && !latch; }

// Saves a change made in the menu. One that cannot reach the disk still holds
// for the run, and the player is told so, once per opening of the menu.
// Saved first, told after: a tell that fails cannot cost the save.
void TellIfUnsaved(bool saved) {
  if (saved || unsavedNoticePosted) return;
  // Noted as told only once it was: a notice that failed is tried again at
  // the next change that cannot be saved.
  PostNotification("Halvane.ini could not be saved: changes last until the game closes");
  unsavedNoticePosted = true;
}
void SaveMenuChange() { TellIfUnsaved(SaveSettings()); }

void EndCapture() {
  MenuState.capturing = false;
  MenuState.captureRow = -1;
}

void Back() {
  if (MenuState.capturing) {
    EndCapture();
  } else if (MenuState.page == MenuPage::GearSpeedsPage) {
    MenuState.page = MenuPage::KeybindingsPage;
    PlayFrontendSound("BACK");
  } else {
    MenuState.open = false;
    PlayFrontendSound("BACK");
  }
}

// Which of Up, Down, Left, Right and Select fire on this pass; their latches
// then take the keys' state at once, before anything is done, so that a pass
// that ends early (a host call that throws) cannot act twice on one press.
MenuActions TakePresses(const MenuActions& actions) {
  const MenuActions fired = {false,
                             Fires(actions.up, GearState.gearUpLatch),
                             Fires(actions.down, GearState.gearDownLatch),
                             Fires(actions.left, MenuState.leftLatch),
                             Fires(actions.right, MenuState.rightLatch),
                             Fires(actions.select, MenuState.selectLatch)};
  GearState.gearUpLatch = actions.up;
  GearState.gearDownLatch = actions.down;
  MenuState.selectLatch = actions.select;
  MenuState.leftLatch = actions.left;
  MenuState.rightLatch = actions.right;
  return fired;
}

// A press on a gear's limit; a limit it changed is the player's.
void AdjustGearSpeed(std::int32_t gear, void (*adjust)(std::int32_t)) {
  const float before = GearSpeed(gear);
  adjust(gear);
  if (GearSpeed(gear) != before) NoteSetByPlayer(*GearSpeedSettings[static_cast<std::size_t>(gear - 1)]);
}

void GearSpeedsPageInput(const MenuActions& fired) {
  std::int32_t& row = MenuState.gearRow;
  if (fired.up) {
    row = row == 1 ? LimitedGearCount : row - 1;
    PlayFrontendSound("NAV_UP_DOWN");
  }
  if (fired.down) {
    row = row == LimitedGearCount ? 1 : row + 1;
    PlayFrontendSound("NAV_UP_DOWN");
  }
  if (fired.right) {
    AdjustGearSpeed(row, RaiseGearSpeed);
    SaveMenuChange();
    PlayFrontendSound("NAV_UP_DOWN");
  }
  if (fired.left) {
    AdjustGearSpeed(row, LowerGearSpeed);
    SaveMenuChange();
    PlayFrontendSound("NAV_UP_DOWN");
  }
}

// The key a capture took becomes the row's binding and is saved; the player
// is then told its name.
void BindCapturedKey(KeyCode code) {
  const std::int32_t row = MenuState.captureRow;
  if (IsBindingRow(row)) {
    const SettingEntry& setting = *KeybindingSettings[static_cast<std::size_t>(row)];
    Config.*setting.binding = code;
    NoteSetByPlayer(setting);
  }
  EndCapture();
  const bool saved = SaveSettings();
  char text[64];
  FormatText64(text, "Key set to: %s", KeyName(code));
  // Each notice is posted on its own: one the host fails to post never
  // keeps the player from the other. The first failure then ends the pass.
  std::exception_ptr failed;
  try {
    PostNotification(text);
  } catch (...) {
    failed = std::current_exception();
  }
  TellIfUnsaved(saved);
  if (failed) std::rethrow_exception(failed);
}

void SelectKeybindingRow() {
  const std::int32_t row = MenuState.keyRow;
  if (row == GearSpeedsRow) {
    MenuState.page = MenuPage::GearSpeedsPage;
    MenuState.gearRow = 1;
    return;
  }
  const SettingEntry& setting = *KeybindingSettings[static_cast<std::size_t>(row)];
  if (setting.kind == SettingKind::Binding) {
    MenuState.capturing = true;
    MenuState.captureRow = row;
    return;
  }
  bool& on = Config.*setting.flag;
  on = !on;
  NoteSetByPlayer(setting);
  // The gear system switched on starts in gear 1.
  if (setting.flag == &ConfigRecord::GearSystem && on) GearState.gear = 1;
  SaveMenuChange();
}

void KeybindingsPageInput(const MenuActions& fired) {
  std::int32_t& row = MenuState.keyRow;
  if (fired.up) {
    row = (row + KeybindingRowCount - 1) % KeybindingRowCount;
    PlayFrontendSound("NAV_UP_DOWN");
  }
  if (fired.down) {
    row = (row + 1) % KeybindingRowCount;
    PlayFrontendSound("NAV_UP_DOWN");
  }
  if (fired.select) {
    SelectKeybindingRow();
    PlayFrontendSound("SELECT");
  }
}

}  // namespace

void MenuToggleStep() {
  if (!KeyFires(MenuKeyLatch, Config.Menu)) return;
  const bool closing = MenuState.open;
  MenuState.open = !closing;
  MenuState.keyRow = 0;
  MenuState.page = MenuPage::KeybindingsPage;
  MenuState.gearRow = 1;
  if (closing) EndCapture();
  // A settings file that could not be read at start-up may be free now.
  if (!closing) {
    unsavedNoticePosted = false;
    if (RetrySettingsLoad()) {
      KeepPlayersGearsInOrder();
      SaveSettings();
    }
  }
  PlayFrontendSound(closing ? "BACK" : "CONTINUE");
}

void HandleMenuInput() {
  const MenuActions actions = ReadActions();
  const bool back = Fires(actions.back, MenuState.backLatch);
  MenuState.backLatch = actions.back;
  if (back) Back();

  if (MenuState.page == MenuPage::KeybindingsPage && MenuState.capturing) {
    // While no key is taken the other latches keep what they held when the
    // capture began. The press a capture takes does nothing else in the
    // menu: the latches take every key as it is now, before the binding is
    // saved and told, so that a held D-pad direction, say, moves nothing
    // once it is bound, even when the pass ends early.
    if (const std::optional<KeyCode> code = CapturedKey()) {
      TakePresses(actions);
      BindCapturedKey(*code);
    }
    return;
  }
  const MenuActions fired = TakePresses(actions);
  if (MenuState.page == MenuPage::GearSpeedsPage) {
    GearSpeedsPageInput(fired);
  } else {
    KeybindingsPageInput(fired);
  }
  // Back and Select on one pass close the menu and start a capture: it must
  // not outlive the menu, or the next opening would bind the menu key.
  if (!MenuState.open) EndCapture();
}

void ResetMenu() {
  MenuState = MenuAtLoad;
  MenuKeyLatch = false;
  unsavedNoticePosted = false;
}
