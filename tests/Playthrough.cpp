#include "Playthrough.h"

#include <cstdlib>
#include <string>

std::filesystem::path MakeTestFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "halvane-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
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
  host.Frame();
  Release(key);
  host.Frame();
}
