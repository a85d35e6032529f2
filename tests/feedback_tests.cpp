#include "Playthrough.h"
#include "feedback/ScreenText.h"
#include "feedback/Sound.h"

#include <gmock/gmock.h>
#include <sndfile.h>

#include <bit>
#include <cstring>

using ::testing::ElementsAre;

namespace {

using FeedbackTest = Playthrough;

std::uint64_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST_F(FeedbackTest, StatusLineIsTheEightCallSequenceWithTheTextUnchanged) {
  const char* text = "~g~SAFETY OFF  ~y~";
  host.RunScript([&] {
    ShowStatusLine(text);
    ShowStatusLine("~o~EMPTY  ~y~[R]");
  });

  ASSERT_EQ(host.frameCalls.size(), 16U);
  const std::vector<std::pair<NativeHash, std::vector<std::uint64_t>>> expected = {
      {sim::native::SetTextFont, {0}},
      {sim::native::SetTextScale, {0x3EE66666, 0x3EE66666}},
      {sim::native::SetTextColour, {255, 255, 255, 255}},
      {sim::native::SetTextOutline, {}},
      {sim::native::SetTextCentre, {1}},
      {sim::native::BeginTextCommand, {host.frameCalls[5].args.at(0)}},
      {sim::native::AddText, {reinterpret_cast<std::uintptr_t>(text)}},
      {sim::native::DrawText, {0x3F000000, 0x3F6B851F, 0}},
  };
  for (std::size_t i = 0; i < 16; ++i) {
    const auto& [hash, args] = expected[i % 8];
    EXPECT_EQ(host.frameCalls[i].hash, hash) << "call " << i;
    if (i != 6 + 8) {
      EXPECT_EQ(host.frameCalls[i].args, args) << "call " << i;
    }
  }

  ASSERT_EQ(host.game.texts.size(), 2U);
  EXPECT_EQ(host.game.texts[0].text, "~g~SAFETY OFF  ~y~");
  EXPECT_EQ(host.game.texts[1].text, "~o~EMPTY  ~y~[R]");
  for (const sim::DrawnText& drawn : host.game.texts) {
    EXPECT_EQ(drawn.x, 0.5F);
    EXPECT_EQ(drawn.y, 0.92F);
    EXPECT_EQ(drawn.style.font, 0);
    EXPECT_EQ(drawn.style.scaleX, 0.45F);
    EXPECT_EQ(drawn.style.scaleY, 0.45F);
    EXPECT_TRUE(drawn.style.outline);
    EXPECT_TRUE(drawn.style.centred);
  }
}

TEST_F(FeedbackTest, ScreenTextDrawsFromItsPositionWithEveryStyleCallRepeated) {
  host.RunScript([] {
    DrawScreenText("Gear 1", 0.055F, 0.26F, {0, 0.35F, {255, 220, 0, 255}, false});
    DrawScreenText("3", 0.946F, 0.76F, {4, 0.5F, {255, 255, 255, 140}, true});
  });
  ASSERT_EQ(host.game.texts.size(), 2U);
  const sim::DrawnText& menu = host.game.texts[0];
  EXPECT_EQ(menu.text, "Gear 1");
  EXPECT_EQ(menu.style.font, 0);
  EXPECT_EQ(menu.style.scaleX, 0.35F);
  EXPECT_THAT(menu.style.colour, ElementsAre(255, 220, 0, 255));
  EXPECT_FALSE(menu.style.centred);
  EXPECT_TRUE(menu.style.outline);
  EXPECT_EQ(host.frameCalls[7].args, (std::vector<std::uint64_t>{Bits(0.055F), Bits(0.26F), 0}));
  const sim::DrawnText& label = host.game.texts[1];
  EXPECT_EQ(label.style.font, 4);
  EXPECT_TRUE(label.style.centred);
  EXPECT_TRUE(label.style.outline);
  EXPECT_THAT(label.style.colour, ElementsAre(255, 255, 255, 140));
}

TEST(Formatting, TextsAreCutAtTheEndOfTheirBuffer) {
  struct {
    char buffer[4];
    char guard[4];
  } small;
  std::memset(&small, 'G', sizeof small);
  EXPECT_EQ(FormatText4(small.buffer, "%d", 123), 3);
  EXPECT_STREQ(small.buffer, "123");
  EXPECT_EQ(FormatText4(small.buffer, "%d", -2147483647 - 1), 3);
  EXPECT_STREQ(small.buffer, "-21");
  EXPECT_EQ(std::memcmp(small.guard, "GGGG", 4), 0);

  char line[64];
  EXPECT_EQ(FormatText64(line, "Key set to: %s", "PAD_DPAD_RIGHT"), 26);
  EXPECT_STREQ(line, "Key set to: PAD_DPAD_RIGHT");
  const std::string longName(200, 'x');
  EXPECT_EQ(FormatText64(line, "Key set to: %s", longName.c_str()), 63);
  EXPECT_EQ(std::strlen(line), 63U);

  char value[48];
  EXPECT_EQ(FormatText48(value, "~y~%.2f ~w~m/s  ~c~%d mph", double{9.72F}, 21), 25);
  EXPECT_STREQ(value, "~y~9.72 ~w~m/s  ~c~21 mph");
  EXPECT_EQ(FormatText48(value, "~y~%.2f ~w~m/s  ~c~%d mph", double{3.4e38F}, 0), 47);
  EXPECT_EQ(std::strncmp(value, "~y~3399999952", 13), 0);
}

TEST_F(FeedbackTest, CuesPlayTheClipInPlaceAndTheHostSoundByName) {
  host.RunScript([] {
    PlayClip(DryFireClip);
    PlayClip(GearShiftClip);
    PlayFrontendSound("NAV_UP_DOWN");
  });
  ASSERT_EQ(host.frameSounds.size(), 2U);
  EXPECT_EQ(host.frameSounds[0].image, DryFireClip.data());
  EXPECT_EQ(host.frameSounds[1].image, GearShiftClip.data());
  ASSERT_EQ(host.frameCalls.size(), 1U);
  EXPECT_EQ(host.frameCalls[0].args[0], 0x00000000FFFFFFFFU);
  EXPECT_EQ(host.frameCalls[0].args[3], 1U);
  ASSERT_EQ(host.game.frontendSounds.size(), 1U);
  EXPECT_EQ(host.game.frontendSounds[0].name, "NAV_UP_DOWN");
  EXPECT_EQ(host.game.frontendSounds[0].soundSet, "HUD_FRONTEND_DEFAULT_SOUNDSET");
}

// Reads a clip through libsndfile, from memory.
struct MemoryFile {
  std::span<const std::uint8_t> bytes;
  sf_count_t position = 0;
};

SF_VIRTUAL_IO MemoryIo() {
  SF_VIRTUAL_IO io{};
  io.get_filelen = [](void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
  };
  io.seek = [](sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(file->bytes.size());
    file->position = whence == SEEK_SET   ? offset
                     : whence == SEEK_CUR ? file->position + offset
                                          : size + offset;
    return file->position;
  };
  io.read = [](void* out, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - file->position));
    std::memcpy(out, file->bytes.data() + file->position, static_cast<std::size_t>(n));
    file->position += n;
    return n;
  };
  io.write = [](const void*, sf_count_t, void*) { return sf_count_t{0}; };
  io.tell = [](void* user) { return static_cast<MemoryFile*>(user)->position; };
  return io;
}

struct ClipFacts {
  std::span<const std::uint8_t> image;
  int rate;
  int channels;
  sf_count_t frames;
};

std::uint32_t Field32(std::span<const std::uint8_t> image, std::size_t offset) {
  std::uint32_t value;  // little-endian on this machine, as in the file
  std::memcpy(&value, image.data() + offset, sizeof value);
  return value;
}

TEST(Clips, AreCompleteWaveImagesThatAnIndependentReaderAccepts) {
  const ClipFacts clips[] = {
      {DryFireClip, 36008, 1, 3762},
      {SafetySwitchClip, 24010, 1, 1824},
      {GearShiftClip, 44100, 2, 12672},
  };
  for (const ClipFacts& clip : clips) {
    SCOPED_TRACE(clip.rate);
    EXPECT_EQ(Field32(clip.image, 4), clip.image.size() - 8);
    EXPECT_EQ(std::memcmp(clip.image.data() + 12, "fmt ", 4), 0);
    EXPECT_EQ(Field32(clip.image, 16), 16U);
    EXPECT_EQ(Field32(clip.image, 28),
              static_cast<std::uint32_t>(clip.rate * clip.channels * 2));  // byte rate

    MemoryFile file{clip.image};
    SF_VIRTUAL_IO io = MemoryIo();
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    ASSERT_NE(sound, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.samplerate, clip.rate);
    EXPECT_EQ(info.channels, clip.channels);
    EXPECT_EQ(info.frames, clip.frames);

    // Audible, and faded out so that the end does not click.
    std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
    EXPECT_EQ(sf_read_short(sound, samples.data(), static_cast<sf_count_t>(samples.size())),
              static_cast<sf_count_t>(samples.size()));
    sf_close(sound);
    int peak = 0;
    for (short sample : samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
    EXPECT_GT(peak, 20000);
    EXPECT_LT(std::abs(static_cast<int>(samples.back())), 200);
  }
  // The gear clip names its encoder in a LIST/INFO chunk before the data.
  EXPECT_EQ(std::memcmp(GearShiftClip.data() + 36, "LIST", 4), 0);
  EXPECT_EQ(Field32(GearShiftClip, 40), 26U);
  EXPECT_EQ(std::memcmp(GearShiftClip.data() + 44, "INFO", 4), 0);
  EXPECT_EQ(std::memcmp(GearShiftClip.data() + 70, "data", 4), 0);
  EXPECT_EQ(Field32(GearShiftClip, 74), 50688U);
}

}  // namespace
