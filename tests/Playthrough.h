// A freshly loaded plug-in in its own folder, driven frame by frame through
// the substitute host. Any error the host saw fails the test.
#pragma once

#include "Host.h"
#include "input/Input.h"

#include <gtest/gtest.h>

#include <filesystem>

std::filesystem::path MakeTestFolder();

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

  std::filesystem::path folder;
  sim::Host host;
};
