#include "Playthrough.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

std::filesystem::path MakeTestFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

std::filesystem::path TemporaryOf(const std::filesystem::path& settingsFile) {
  return settingsFile.string() + "." + std::to_string(getpid()) + ".tmp";
}

std::vector<std::uint8_t> GameImage(std::initializer_list<std::uint16_t> fieldOffsets) {
  std::vector<std::uint8_t> image(64 * 1024, 0x90);
  std::size_t at = fieldOffsets.size() == 1 ? 40000 : 20000;
  for (const std::uint16_t offset : fieldOffsets) {
    const std::uint8_t code[] = {0x76,
                                 0x03,
                                 0x0F,
                                 0x28,
                                 0xF0,
                                 0xF3,
                                 0x44,
                                 0x0F,
                                 0x11,
                                 0x83,
                                 static_cast<std::uint8_t>(offset & 0xFF),
                                 static_cast<std::uint8_t>(offset >> 8),
                                 0,
                                 0};
    std::memcpy(image.data() + at, code, sizeof code);
    at += 20000;
  }
  return image;
}

Playthrough::Playthrough() : folder(MakeTestFolder()), host(HALVANE_PLUGIN_FILE, folder / "game") {}

Playthrough::~Playthrough() { std::filesystem::remove_all(folder); }

void Playthrough::SetUp() {
  host.Load();
  ASSERT_TRUE(host.Loaded());
}

void Playthrough::TearDown() {
  host.Unload();
  EXPECT_TRUE(host.errors.empty()) << "first error: " << host.errors.front();
}

void Playthrough::Tap(KeyCode key) {
  Hold(key);
  Frame();
  Release(key);
  Frame();
}

void Playthrough::Frame(std::uint32_t milliseconds) {
  host.input.tick += milliseconds;
  host.Frame();
}

bool Playthrough::Drew(const std::string& text) const {
  for (const sim::DrawnText& drawn : host.game.texts) {
    if (drawn.text == text) return true;
  }
  return false;
}

int Playthrough::TimesPlayed(std::span<const std::uint8_t> clip) const {
  int times = 0;
  for (const sim::SoundRecord& sound : host.frameSounds) {
    // Compared by content: this program links its own copy of the clips.
    if (sound.size == clip.size() && std::memcmp(sound.image, clip.data(), clip.size()) == 0) ++times;
  }
  return times;
}
