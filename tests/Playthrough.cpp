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
