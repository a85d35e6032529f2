// A freshly loaded plug-in in its own folder, driven frame by frame through
// the substitute host. Any error the host saw fails the test.
#pragma once

#include "Host.h"
#include "input/Input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

std::filesystem::path MakeTestFolder();
// The temporary the plug-in saves `settingsFile` through, as it names it in
// this process.
std::filesystem::path TemporaryOf(const std::filesystem::path& settingsFile);
// A 64 KiB game image of no-ops holding the limiter store once for each
// field offset given, in order, 20000 bytes apart from byte 20000 (one:
// at 40000).
std::vector<std::uint8_t> GameImage(std::initializer_list<std::uint16_t> fieldOffsets);

class Playthrough : public ::testing::Test {
 protected:
  Playthrough();
  ~Playthrough() override;
  void SetUp() override;
  void TearDown() override;

  void Hold(KeyCode key) { host.input.keys.at(static_cast<std::size_t>(key)) = true; }
  void Release(KeyCode key) { host.input.keys.at(static_cast<std::size_t>(key)) = false; }
  // Holds the key for one frame, then releases it for one frame.
  void Tap(KeyCode key);
  // Moves the clock on, then runs a frame.
  void Frame(std::uint32_t milliseconds = 16);

  // What the last frame showed and played.
  bool Drew(const std::string& text) const;
  int TimesPlayed(std::span<const std::uint8_t> clip) const;

  std::filesystem::path folder;
  sim::Host host;
};
