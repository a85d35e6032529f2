#include "menu/KeyCapture.h"

#include "input/KeyNames.h"

#include <optional>
#include <string_view>

namespace {

constexpr std::array<KeyCode, 81> MakeCaptureScanOrder() {
  std::array<KeyCode, 81> order{};
  std::size_t next = 0;
  const auto add = [&](KeyCode first, KeyCode last) {
    for (KeyCode code = first; code <= last; ++code) order[next++] = code;
  };
  add(48, 90);    // 0-9, 58-64, A-Z
  add(112, 123);  // F1-F12
  add(96, 105);   // numeric keypad 0-9
  add(5, 6);      // side mouse buttons
  add(pad_code::X, pad_code::RightTrigger);
  return order;
}

}  // namespace

constinit const std::array<KeyCode, 81> CaptureScanOrder = MakeCaptureScanOrder();

// A code without a name could not be written to the settings file and
// would fall back to its default at the next start, so it is never taken.
std::optional<KeyCode> CapturedKey() {
  for (KeyCode code : CaptureScanOrder) {
    if (IsKeyDown(code) && std::string_view(KeyName(code)) != "?") return code;
  }
  return std::nullopt;
}
