// Drawing the open menu: a narrow panel at the left of the screen, drawn
// whole on every pass while the menu is open.
#include "config/Config.h"
#include "feedback/ScreenText.h"
#include "input/KeyNames.h"
#include "menu/Menu.h"
#include "platform/Platform.h"
#include "vehicle/GearDisplay.h"

#include <array>
#include <bit>

namespace {

constexpr Colour White = {255, 255, 255, 255};
constexpr Colour Marker = {255, 220, 0, 255};
constexpr Colour KeyValue = {180, 220, 255, 255};
constexpr Colour On = {100, 255, 100, 255};
constexpr Colour Off = {255, 100, 100, 255};
constexpr Colour Grey = {180, 180, 180, 255};
constexpr Colour Hint = {200, 200, 200, 255};
constexpr Colour TitleBar = {30, 30, 30, 220};
constexpr Colour SelectedBar = {60, 60, 60, 200};
constexpr Colour RowBar = {20, 20, 20, 200};

constexpr float PanelX = 0.15F;
constexpr float PanelWidth = 0.24F;
constexpr float TextScale = 0.35F;
constexpr float ValueScale = 0.33F;
constexpr float LabelX = 0.055F;
constexpr float MarkerX = 0.038F;
// The gear speeds page's values: left enough that a limit of three figures
// in mph ("447.00 m/s  999 mph") ends before the [+] at PlusX.
constexpr float GearValueX = 0.11F;
constexpr float PlusX = 0.225F;
constexpr float MinusX = 0.252F;
constexpr std::uint32_t CaptureBlink = 400;

void Text(const char* text, float x, float y, float scale, Colour colour) {
  DrawScreenText(text, x, y, {0, scale, colour, false});
}

float RowTop(std::int32_t row) { return 0.25F + 0.048F * static_cast<float>(row); }
float RowTextY(std::int32_t row) { return RowTop(row) + 0.01F; }

// The row's bar, lighter and marked when it is selected.
void RowBase(std::int32_t row, bool selected) {
  DrawRectangle(PanelX, RowTop(row) + 0.024F, PanelWidth, 0.046F, selected ? SelectedBar : RowBar);
  if (selected) Text("~y~>", MarkerX, RowTextY(row), TextScale, Marker);
}

void Title(const char* text) {
  DrawRectangle(PanelX, 0.2F, PanelWidth, 0.05F, TitleBar);
  Text(text, 0.04F, 0.182F, ValueScale, White);
}

// Below the last of `rows` rows: a bar with a key hint.
void Footer(std::int32_t rows, const char* hint, float scale) {
  const float end = RowTop(rows);
  DrawRectangle(PanelX, end + 0.032F, PanelWidth, 0.045F, RowBar);
  Text(hint, MarkerX, end + 0.016F, scale, Hint);
}

void Switch(bool on, std::int32_t row) {
  if (on) {
    Text("~g~[ON]", 0.2F, RowTextY(row), TextScale, On);
  } else {
    Text("~r~[OFF]", 0.2F, RowTextY(row), TextScale, Off);
  }
}

// "[", the key's name, "]".
std::array<char, 24> BracketedKeyName(KeyCode code) {
  std::array<char, 24> text{};
  const char* name = KeyName(code);
  std::size_t length = 0;
  text[length++] = '[';
  while (*name != '\0' && length + 2 < text.size()) text[length++] = *name++;
  text[length] = ']';
  return text;
}

// A gear's limit as the page shows it; formatted again only when the limit
// has changed since the last pass that showed it.
struct FormattedLimit {
  bool made;
  std::uint32_t limitBits;
  char text[48];
};
constinit std::array<FormattedLimit, LimitedGearCount> formattedLimits = {};

const char* GearValueText(std::int32_t gear) {
  const float limit = GearSpeed(gear);
  FormattedLimit& formatted = formattedLimits[static_cast<std::size_t>(gear - 1)];
  if (!formatted.made || formatted.limitBits != std::bit_cast<std::uint32_t>(limit)) {
    if (const std::optional<std::int32_t> mph = MilesPerHour(limit)) {
      FormatText48(formatted.text, "~y~%.2f ~w~m/s  ~c~%d mph", static_cast<double>(limit), *mph);
    } else {
      FormatText48(formatted.text, "No Limit");
    }
    formatted.limitBits = std::bit_cast<std::uint32_t>(limit);
    formatted.made = true;
  }
  return formatted.text;
}

// A setting's value on its row: the key's name (blinking while captured), or on or off.
void SettingValue(const SettingEntry& setting, std::int32_t row) {
  if (setting.kind == SettingKind::Switch) {
    Switch(Config.*setting.flag, row);
  } else if (MenuState.capturing && MenuState.captureRow == row) {
    const bool odd = (platform::TickCount() / CaptureBlink) % 2 == 1;
    Text(odd ? "~o~[...]" : "~r~[...]", 0.2F, RowTextY(row), TextScale, White);
  } else {
    Text(BracketedKeyName(Config.*setting.binding).data(), 0.2F, RowTextY(row), TextScale, KeyValue);
  }
}

void DrawKeybindingsPage() {
  Title("~y~Halvane~w~ | Keybindings");
  for (std::int32_t row = 0; row < KeybindingRowCount; ++row) {
    RowBase(row, MenuState.keyRow == row);
    if (row == GearSpeedsRow) {
      Text("Gear Speeds", LabelX, RowTextY(row), TextScale, White);
      Text("[ ENTER ]", 0.185F, RowTextY(row), TextScale, KeyValue);
    } else {
      const SettingEntry& setting = *KeybindingSettings[static_cast<std::size_t>(row)];
      Text(setting.menuLabel, LabelX, RowTextY(row), TextScale, White);
      SettingValue(setting, row);
    }
  }
  Footer(KeybindingRowCount, "~y~UP/DOWN~w~ Nav  ~y~ENTER~w~ Select  ~y~BACK~w~ Close", 0.25F);
}

void DrawGearSpeedsPage() {
  Title("~y~Halvane~w~ | Gear Speeds");
  for (const SettingEntry* setting : GearSpeedSettings) {
    const std::int32_t gear = setting->gear;
    const std::int32_t row = gear - 1;
    const bool selected = MenuState.gearRow == gear;
    RowBase(row, selected);
    Text(setting->menuLabel, LabelX, RowTextY(row), TextScale, White);
    Text(GearValueText(gear), GearValueX, RowTextY(row), ValueScale, White);
    if (selected) {
      Text("~g~[+]", PlusX, RowTextY(row), TextScale, On);
      Text("~r~[-]", MinusX, RowTextY(row), TextScale, Off);
    }
  }
  // The top gear, shown below the others and never selected.
  constexpr std::int32_t TopGearRow = LimitedGearCount;
  RowBase(TopGearRow, false);
  Text("Gear 5", LabelX, RowTextY(TopGearRow), TextScale, Grey);
  Text("~b~No Limit~w~ (fixed)", GearValueX, RowTextY(TopGearRow), ValueScale, Grey);
  Footer(GearCount, "~y~UP/DOWN~w~ Select  ~y~LEFT/RIGHT~w~ Adjust  ~y~BACK~w~ Keys Menu", 0.24F);
}

}  // namespace

void DrawMenu() {
  if (MenuState.page == MenuPage::GearSpeedsPage) {
    DrawGearSpeedsPage();
  } else {
    DrawKeybindingsPage();
  }
}
