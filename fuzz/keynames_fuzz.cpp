// Key names: a name maps to a code only when it is exactly that code's name.
#include "input/KeyNames.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const KeyCode code = KeyCodeFromName(name);
  if (code != -1 && name != KeyName(code)) std::abort();
  if (size >= sizeof(KeyCode)) {
    KeyCode any;
    std::memcpy(&any, data, sizeof any);
    const char* text = KeyName(any);
    if (std::strcmp(text, "?") != 0 && KeyCodeFromName(text) != any) std::abort();
  }
  return 0;
}
