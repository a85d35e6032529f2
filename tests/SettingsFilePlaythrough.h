// What the settings tests share: the default file, reading and writing files,
// a full disk, and a fixture that loads and saves through the plug-in's code.
#pragma once

#include "Playthrough.h"
#include "config/Config.h"
#include "config/Number.h"
#include "config/Settings.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "plugin/FrameLoop.h"

#include <gmock/gmock.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <sstream>

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The file the plug-in writes at its first start, kept once for every test
// in tests/data/default-settings.ini. The first time a test reads it, it is
// held to what the code writes from DefaultConfig: a setting added to the
// table but not to the file (or the other way round) is told once, in that
// test's first failure, naming the file and its line.
inline const std::string& DefaultFile() {
  static const std::string text =
      ReadFile(std::filesystem::path(HALVANE_SOURCE_DIR) / "tests/data/default-settings.ini");
  static bool checked = false;
  if (checked) return text;
  checked = true;
  const ConfigRecord kept = Config;
  Config = DefaultConfig;
  std::istringstream written(SettingsText());
  Config = kept;
  std::istringstream held(text);
  std::string wrote;
  std::string has;
  for (int line = 1;; ++line) {
    const bool more = static_cast<bool>(std::getline(written, wrote));
    const bool there = static_cast<bool>(std::getline(held, has));
    if (!more && !there) break;
    if (more && there && wrote == has) continue;
    ADD_FAILURE() << "tests/data/default-settings.ini:" << line << ": the first start writes "
                  << (more ? "\"" + wrote + "\"" : "no more lines") << " here, and the file has "
                  << (there ? "\"" + has + "\"" : "no more lines")
                  << ". The file is the one copy of what the first start writes (the settings table, "
                     "with DefaultConfig): bring it in line, and the tests that compare with it pass.";
    break;
  }
  return text;
}

// Which file a name leads to: a replace gives the name another.
inline ino_t Identity(const std::filesystem::path& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_ino;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A disk that takes no file past `bytes`, as a full one would: writes beyond
// that fail (EFBIG) instead of ending the process, while bytes already in a
// file can still be written over.
class FullDisk {
 public:
  explicit FullDisk(std::size_t bytes) : previous_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limit{static_cast<rlim_t>(bytes), old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit old_{};
  void (*previous_)(int);
};

inline bool SameRecord(const ConfigRecord& a, const ConfigRecord& b) {
  for (std::size_t i = 0; i < a.GearSpeeds.size(); ++i) {
    const float x = a.GearSpeeds[i];
    const float y = b.GearSpeeds[i];
    if (!(x == y || (std::isnan(x) && std::isnan(y)))) return false;
  }
  ConfigRecord aligned = b;  // the limits compared above, the rest field by field
  aligned.GearSpeeds = a.GearSpeeds;
  return a == aligned;
}

class SettingsFileTest : public Playthrough {
 protected:
  void SetUp() override {
    Playthrough::SetUp();
    ResetPluginState();
    file = folder / "Halvane.ini";
    SettingsPath = file.string();
  }
  // Loads a file holding exactly `content` into a default record.
  void LoadText(const std::string& content) {
    WriteFile(file, content);
    Config = DefaultConfig;
    LoadSettings();
  }
  std::filesystem::path file;
};
