// Plays a short scripted session through the substitute host and prints every
// frame's host and native calls.
#include "Host.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string Describe(const sim::Game& game, const sim::NativeCallRecord& call) {
  std::string text = game.NameOf(call.hash) + "(";
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    char arg[24];
    std::snprintf(arg, sizeof arg, "%s0x%llX", i == 0 ? "" : ", ", static_cast<unsigned long long>(call.args[i]));
    text += arg;
  }
  char result[32];
  std::snprintf(result, sizeof result, ") -> 0x%llX", static_cast<unsigned long long>(call.result[0]));
  return text + result;
}

void PrintFrame(const sim::Host& host) {
  std::printf("frame %d (tick %u): %zu native calls, %d pad poll(s)\n", host.frameNumber, host.input.tick,
              host.frameCalls.size(), host.padReads);
  for (const sim::NativeCallRecord& call : host.frameCalls) {
    std::printf("  %s\n", Describe(host.game, call).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : "out/play";
  sim::Host host(HALVANE_PLUGIN_FILE, folder);
  host.Load();
  std::printf("loaded %s\n", host.LibraryFile().c_str());
  for (int frame = 0; frame < 3; ++frame) {
    host.input.tick += 16;
    host.Frame();
    PrintFrame(host);
  }
  std::printf("the player dies\n");
  host.game.character.dead = true;
  host.input.tick += 16;
  host.Frame();
  PrintFrame(host);
  host.Unload();
  std::printf("unloaded; %zu host error(s)\n", host.errors.size());
  for (const std::string& error : host.errors) std::printf("  %s\n", error.c_str());
  return host.errors.empty() ? 0 : 1;
}
