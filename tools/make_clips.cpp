// Synthesizes the plug-in's three sound clips and writes them as complete
// RIFF/WAVE images in C++ source (src/feedback/Clips.cpp). Everything is
// computed from fixed seeds, so the output is the same on every run.
//
//   make_clips > src/feedback/Clips.cpp
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// A small deterministic noise source (64-bit LCG, top bits as a sample).
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed) {}
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0;
  }

 private:
  std::uint64_t state_;
};

using Track = std::vector<double>;

// Adds a decaying sine starting at `start` seconds; the pitch glides from
// `frequency` to `endFrequency` over the decay.
void Ring(Track& track, double rate, double start, double frequency, double endFrequency, double decay,
          double amplitude) {
  double phase = 0.0;
  for (std::size_t n = static_cast<std::size_t>(start * rate); n < track.size(); ++n) {
    const double t = static_cast<double>(n) / rate - start;
    const double glide = std::exp(-t / decay);
    const double f = endFrequency + (frequency - endFrequency) * glide;
    phase += 2.0 * Pi * f / rate;
    track[n] += amplitude * std::exp(-t / decay) * std::sin(phase);
  }
}

// Adds a burst of noise, low-passed by a one-pole filter with the given
// corner (0: unfiltered), with an attack of 0.2 ms and an exponential decay.
void Burst(Track& track, double rate, double start, double decay, double corner, double amplitude,
           std::uint64_t seed) {
  Noise noise(seed);
  const double smoothing = corner > 0.0 ? 1.0 - std::exp(-2.0 * Pi * corner / rate) : 1.0;
  double filtered = 0.0;
  for (std::size_t n = static_cast<std::size_t>(start * rate); n < track.size(); ++n) {
    const double t = static_cast<double>(n) / rate - start;
    if (t > decay * 12.0) break;
    filtered += smoothing * (noise.Next() - filtered);
    const double attack = std::min(1.0, t / 0.0002);
    track[n] += amplitude * attack * std::exp(-t / decay) * filtered;
  }
}

// First difference: takes the weight out of a burst so it ticks rather than thuds.
void Brighten(Track& track) {
  double previous = 0.0;
  for (double& sample : track) {
    const double current = sample;
    sample = current - 0.85 * previous;
    previous = current;
  }
}

// Scales to the given peak and fades the last `fade` seconds to silence.
void Finish(Track& track, double rate, double peak, double fade) {
  double largest = 0.0;
  for (double sample : track) largest = std::max(largest, std::abs(sample));
  const std::size_t fadeLength = static_cast<std::size_t>(fade * rate);
  for (std::size_t n = 0; n < track.size(); ++n) {
    double gain = peak / largest;
    const std::size_t remaining = track.size() - n;
    if (remaining < fadeLength) gain *= static_cast<double>(remaining) / static_cast<double>(fadeLength);
    track[n] *= gain;
  }
}

// The hammer falling on an empty chamber: a sharp tick, the ring of the
// action, and the spring settling a few milliseconds later.
Track DryFire(double rate, std::size_t frames) {
  Track click(frames, 0.0);
  Burst(click, rate, 0.0005, 0.0012, 0.0, 1.0, 11);
  Burst(click, rate, 0.0095, 0.0008, 0.0, 0.35, 12);
  Brighten(click);
  Ring(click, rate, 0.0005, 2350.0, 2300.0, 0.012, 0.35);
  Ring(click, rate, 0.0005, 3900.0, 3850.0, 0.008, 0.25);
  Ring(click, rate, 0.0005, 6100.0, 6050.0, 0.005, 0.15);
  Ring(click, rate, 0.0005, 190.0, 160.0, 0.015, 0.20);
  Ring(click, rate, 0.0095, 4400.0, 4400.0, 0.004, 0.12);
  Finish(click, rate, 0.85, 0.010);
  return click;
}

// A small lever snapping over its detent: a click in, a softer click out.
Track SafetySwitch(double rate, std::size_t frames) {
  Track lever(frames, 0.0);
  Burst(lever, rate, 0.004, 0.0007, 0.0, 1.0, 21);
  Burst(lever, rate, 0.030, 0.0006, 0.0, 0.6, 22);
  Burst(lever, rate, 0.006, 0.008, 2500.0, 0.04, 23);
  Brighten(lever);
  Ring(lever, rate, 0.004, 2800.0, 2750.0, 0.006, 0.30);
  Ring(lever, rate, 0.004, 4700.0, 4650.0, 0.004, 0.18);
  Ring(lever, rate, 0.030, 3300.0, 3250.0, 0.005, 0.22);
  Finish(lever, rate, 0.80, 0.008);
  return lever;
}

// A gear lever dropping into its gate: a metallic engage, the heavy clunk of
// the selector with its low thud, and a lighter knock as it settles.
Track GearShift(double rate, std::size_t frames, double delay, std::uint64_t seed) {
  Track clunk(frames, 0.0);
  Burst(clunk, rate, delay, 0.0010, 0.0, 0.35, seed);
  Ring(clunk, rate, delay, 1800.0, 1750.0, 0.010, 0.25);
  Ring(clunk, rate, delay + 0.015, 140.0, 70.0, 0.060, 0.90);
  Burst(clunk, rate, delay + 0.015, 0.030, 600.0, 2.0, seed + 1);
  Ring(clunk, rate, delay + 0.015, 420.0, 380.0, 0.025, 0.30);
  Ring(clunk, rate, delay + 0.120, 95.0, 85.0, 0.040, 0.35);
  Burst(clunk, rate, delay + 0.120, 0.012, 900.0, 0.8, seed + 2);
  return clunk;
}

struct Wave {
  std::uint32_t rate;
  std::uint16_t channels;
  std::vector<std::int16_t> samples;  // interleaved
  std::string software;               // names the encoder in a LIST/INFO chunk when not empty
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::vector<std::uint8_t> Image(const Wave& wave) {
  const std::uint32_t blockAlign = 2U * wave.channels;
  const auto dataSize = static_cast<std::uint32_t>(wave.samples.size() * 2);
  std::vector<std::uint8_t> info;
  if (!wave.software.empty()) {
    PutTag(info, "INFO");
    PutTag(info, "ISFT");
    Put32(info, static_cast<std::uint32_t>(wave.software.size() + 1));
    info.insert(info.end(), wave.software.begin(), wave.software.end());
    info.push_back(0);
  }
  std::vector<std::uint8_t> out;
  PutTag(out, "RIFF");
  Put32(out, 4 + 24 + (info.empty() ? 0 : 8 + static_cast<std::uint32_t>(info.size())) + 8 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, wave.channels);
  Put32(out, wave.rate);
  Put32(out, wave.rate * blockAlign);
  Put16(out, blockAlign);
  Put16(out, 16);
  if (!info.empty()) {
    PutTag(out, "LIST");
    Put32(out, static_cast<std::uint32_t>(info.size()));
    out.insert(out.end(), info.begin(), info.end());
  }
  PutTag(out, "data");
  Put32(out, dataSize);
  for (std::int16_t sample : wave.samples) Put16(out, static_cast<std::uint16_t>(sample));
  return out;
}

std::int16_t Quantize(double sample) {
  return static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32767.0));
}

Wave Mono(std::uint32_t rate, const Track& track) {
  Wave wave{rate, 1, {}, {}};
  for (double sample : track) wave.samples.push_back(Quantize(sample));
  return wave;
}

Wave Stereo(std::uint32_t rate, Track left, Track right, std::string software) {
  double largest = 0.0;
  for (std::size_t n = 0; n < left.size(); ++n)
    largest = std::max({largest, std::abs(left[n]), std::abs(right[n])});
  const std::size_t fade = static_cast<std::size_t>(0.020 * rate);
  Wave wave{rate, 2, {}, std::move(software)};
  for (std::size_t n = 0; n < left.size(); ++n) {
    const std::size_t remaining = left.size() - n;
    const double gain = 0.85 / largest *
                        (remaining < fade ? static_cast<double>(remaining) / static_cast<double>(fade) : 1.0);
    wave.samples.push_back(Quantize(left[n] * gain * 0.92));
    wave.samples.push_back(Quantize(right[n] * gain));
  }
  return wave;
}

// The image as a file-local array, and the clip's name as a view of it: the
// size is the array's, known only here.
void Emit(const char* name, const std::vector<std::uint8_t>& image) {
  std::printf("\nnamespace {\nconstexpr std::uint8_t %sImage[] = {", name);
  for (std::size_t i = 0; i < image.size(); ++i) {
    std::printf("%s0x%02X,", i % 16 == 0 ? "\n    " : " ", image[i]);
  }
  std::printf("\n};\n}  // namespace\nconstinit const std::span<const std::uint8_t> %s = %sImage;\n", name,
              name);
}

}  // namespace

int main() {
  const Wave dryFire = Mono(36008, DryFire(36008.0, 3762));
  const Wave safety = Mono(24010, SafetySwitch(24010.0, 1824));
  const Wave gear = Stereo(44100, GearShift(44100.0, 12672, 0.0, 31), GearShift(44100.0, 12672, 0.0003, 41),
                           "Halvane tools");
  std::printf("// The three sound clips as complete WAVE images, made by tools/make_clips.cpp.\n");
  std::printf("// Do not edit: regenerate with  build/linux/make_clips > src/feedback/Clips.cpp\n");
  std::printf("// clang-format off\n#include \"feedback/Sound.h\"\n");
  Emit("DryFireClip", Image(dryFire));
  Emit("SafetySwitchClip", Image(safety));
  Emit("GearShiftClip", Image(gear));
  return 0;
}
