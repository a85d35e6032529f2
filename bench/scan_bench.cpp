// The start-up search for the limiter pattern over a 128 MiB image: the plain
// byte-by-byte loop, glibc's memmem, and ScanImage. Two images: random bytes,
// and real x86-64 machine code (this machine's C library, repeated); each
// with the pattern 4 KiB before the end, and without it.
#include "platform/ImageScan.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace {

constexpr std::uint8_t Pattern[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
constexpr char Mask[] = "xxxxxxxxxx";
constexpr std::size_t ImageSize = std::size_t{128} << 20;

const std::uint8_t* PlainScan(std::span<const std::uint8_t> image) {
  const std::size_t n = sizeof Pattern;
  for (std::size_t p = 0; p + n < image.size(); ++p) {
    std::size_t i = 0;
    while (i < n && (Mask[i] != 'x' || image[p + i] == Pattern[i])) ++i;
    if (i == n) return image.data() + p;
  }
  return nullptr;
}

std::vector<std::uint8_t> MakeImage(bool code, bool withPattern) {
  std::vector<std::uint8_t> image;
  image.reserve(ImageSize);
  if (code) {
    std::ifstream file("/lib/x86_64-linux-gnu/libc.so.6", std::ios::binary);
    const std::vector<std::uint8_t> library((std::istreambuf_iterator<char>(file)),
                                            std::istreambuf_iterator<char>());
    while (!library.empty() && image.size() < ImageSize) {
      image.insert(
          image.end(), library.begin(),
          library.begin() + static_cast<std::ptrdiff_t>(std::min(library.size(), ImageSize - image.size())));
    }
  }
  std::mt19937_64 random(42);
  while (image.size() < ImageSize) image.push_back(static_cast<std::uint8_t>(random()));
  // Break any accidental occurrence so that "none" means none.
  for (const std::uint8_t* hit = PlainScan(image); hit != nullptr; hit = PlainScan(image)) {
    image[static_cast<std::size_t>(hit - image.data())] ^= 0xFF;
  }
  if (withPattern) std::memcpy(image.data() + ImageSize - 4096, Pattern, sizeof Pattern);
  return image;
}

const std::vector<std::uint8_t>& Image(std::int64_t kind) {
  static const std::vector<std::uint8_t> images[] = {MakeImage(false, true), MakeImage(false, false),
                                                     MakeImage(true, true), MakeImage(true, false)};
  return images[kind];
}

void SetLabel(benchmark::State& state) {
  static const char* const labels[] = {"random, near end", "random, none", "code, near end", "code, none"};
  state.SetLabel(labels[state.range(0)]);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(ImageSize));
}

void Plain(benchmark::State& state) {
  const auto& image = Image(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(PlainScan(image));
  SetLabel(state);
}

void Memmem(benchmark::State& state) {
  const auto& image = Image(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(memmem(image.data(), image.size() - 1, Pattern, sizeof Pattern));
  SetLabel(state);
}

void Ours(benchmark::State& state) {
  const auto& image = Image(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ScanImage(image, Pattern, Mask));
  SetLabel(state);
}

BENCHMARK(Plain)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Memmem)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
