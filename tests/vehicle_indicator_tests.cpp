// The gear indicator's drawing, and the start-up scan for the limiter field.
#include "VehiclePlaythrough.h"

namespace {

using GearIndicatorTest = Playthrough;

TEST_F(GearIndicatorTest, TheGateTheKnobAndFiveLabels) {
  host.RunScript([] { DrawGearIndicator(3); });
  const auto& rects = host.game.rects;
  ASSERT_EQ(rects.size(), 4U + 18U + 36U + 4U);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_THAT(rects[i].colour, ElementsAre(220, 220, 220, 230));
  EXPECT_EQ(rects[3].width, 0.051F);

  // Body: shaded from 79 at the top down to 50, centred on the slot of gear 3.
  EXPECT_THAT(rects[4].colour, ElementsAre(79, 79, 79, 248));
  EXPECT_THAT(rects[21].colour, ElementsAre(50, 50, 50, 248));
  for (std::size_t i = 4; i < 22; ++i) EXPECT_EQ(rects[i].x, 0.946F);
  // Rim: two yellow side pieces per strip, mirrored about the centre.
  for (std::size_t i = 22; i < 58; i += 2) {
    EXPECT_THAT(rects[i].colour, ElementsAre(255, 220, 60, 230));
    EXPECT_NEAR(rects[i].x + rects[i + 1].x, 2 * 0.946F, 1e-6);
    EXPECT_EQ(rects[i].width, rects[i + 1].width);
    EXPECT_LT(rects[i].x, 0.946F);
  }
  // Highlight: four faint strips fading downward.
  std::vector<std::int32_t> alphas;
  for (std::size_t i = 58; i < 62; ++i) alphas.push_back(rects[i].colour[3]);
  EXPECT_THAT(alphas, ElementsAre(15, 11, 6, 1));
  // The strips cover the body from top to bottom without gaps.
  EXPECT_NEAR(rects[4].y - rects[4].height / 2, 0.806F - 0.014F, 2e-4);
  EXPECT_NEAR(rects[21].y + rects[21].height / 2, 0.806F + 0.014F, 2e-4);

  const auto& labels = host.game.texts;
  ASSERT_EQ(labels.size(), 5U);
  const float x[] = {0.922F, 0.922F, 0.946F, 0.946F, 0.970F};
  const float y[] = {0.806F - 0.046F, 0.878F + 0.024F, 0.806F - 0.046F, 0.878F + 0.024F, 0.806F - 0.046F};
  for (std::size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(labels[n].text, std::to_string(n + 1));
    EXPECT_EQ(labels[n].style.font, 4);
    EXPECT_TRUE(labels[n].style.centred);
    EXPECT_EQ(labels[n].x, x[n]);
    EXPECT_EQ(labels[n].y, y[n]);
    EXPECT_EQ(labels[n].style.scaleX, n == 2 ? 0.5F : 0.38F);
    EXPECT_EQ(labels[n].style.colour[3], n == 2 ? 255 : 140);
  }
}

TEST_F(GearIndicatorTest, TheIndicatorsKnobsAreTheKnobsWorkedOutNow) {
  // The indicator's knobs are shaped by the compiler; shaping them while the
  // game runs must give the very same rectangles, bit for bit.
  const float slots[5][2] = {
      {0.922F, 0.806F}, {0.922F, 0.878F}, {0.946F, 0.806F}, {0.946F, 0.878F}, {0.970F, 0.806F}};
  for (int gear = 1; gear <= 5; ++gear) {
    host.RunScript([gear] { DrawGearIndicator(gear); });
    const std::vector<sim::DrawnRect> indicator(host.game.rects.begin() + 4, host.game.rects.end());
    host.RunScript([&] { DrawGearKnob(slots[gear - 1][0], slots[gear - 1][1], 0.014F, 0.5625F, gear); });
    ASSERT_EQ(indicator.size(), host.game.rects.size()) << "gear " << gear;
    for (std::size_t i = 0; i < indicator.size(); ++i) {
      const sim::DrawnRect& now = host.game.rects[i];
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].x), std::bit_cast<std::uint32_t>(now.x));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].y), std::bit_cast<std::uint32_t>(now.y));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].width), std::bit_cast<std::uint32_t>(now.width));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(indicator[i].height), std::bit_cast<std::uint32_t>(now.height));
      EXPECT_EQ(indicator[i].colour, now.colour);
    }
  }
}

TEST_F(GearIndicatorTest, AKnobOfAnotherKindHasAGreyRim) {
  host.RunScript([] { DrawGearKnob(0.5F, 0.5F, 0.014F, 0.5625F, 9); });
  ASSERT_EQ(host.game.rects.size(), 18U + 36U + 4U);
  EXPECT_THAT(host.game.rects[18].colour, ElementsAre(180, 180, 180, 230));
}

// The search the plug-in must reproduce exactly: every start from the first,
// while start + length is below the image's end.
const std::uint8_t* PlainScan(std::span<const std::uint8_t> image, const std::uint8_t* pattern,
                              const char* mask) {
  const std::size_t n = std::strlen(mask);
  if (image.size() < n) return nullptr;
  for (std::size_t p = 0; p + n <= image.size(); ++p) {
    bool all = true;
    for (std::size_t i = 0; i < n && all; ++i) all = mask[i] != 'x' || image[p + i] == pattern[i];
    if (all) return image.data() + p;
  }
  return nullptr;
}

TEST(LimiterScan, FindsWhatThePlainSearchFinds) {
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    // Small alphabets make partial and overlapping matches common.
    const int alphabet = 2 + static_cast<int>(random() % 4);
    std::vector<std::uint8_t> image(random() % 200);
    for (auto& byte : image)
      byte = static_cast<std::uint8_t>(0x0F + random() % static_cast<unsigned>(alphabet));
    const std::size_t length = 1 + random() % 10;
    std::vector<std::uint8_t> pattern(length);
    std::string mask(length, 'x');
    for (std::size_t i = 0; i < length; ++i) {
      pattern[i] = static_cast<std::uint8_t>(0x0F + random() % static_cast<unsigned>(alphabet));
      if (random() % 4 == 0) mask[i] = '?';
    }
    // Plant the pattern at the very start or at the last positions now and then.
    if (image.size() > length && random() % 3 == 0) {
      const std::size_t at = random() % 2 == 0 ? 0 : image.size() - length - random() % 2;
      std::copy(pattern.begin(), pattern.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ASSERT_EQ(ScanImage(image, pattern.data(), mask.c_str()), PlainScan(image, pattern.data(), mask.c_str()))
        << "round " << round << " mask " << mask;
  }

  // A match that ends on the image's last byte is found; one longer than the image is not.
  const std::uint8_t tail[] = {0x90, 0x76, 0x03};
  const std::uint8_t pattern[] = {0x76, 0x03};
  EXPECT_EQ(ScanImage(tail, pattern, "xx"), tail + 1);
  EXPECT_EQ(ScanImage(tail, pattern, "??"), tail);
  EXPECT_EQ(ScanImage({tail + 1, 2}, pattern, "xx"), tail + 1);
  EXPECT_EQ(ScanImage({tail + 2, 1}, pattern, "??"), nullptr);
}

// The limiter store with the given displacement, at `at` in an image of
// `size` bytes of padding.
std::vector<std::uint8_t> ImageWithStore(std::size_t size, std::size_t at, std::uint32_t displacement) {
  std::vector<std::uint8_t> image(size, 0x90);
  const std::uint8_t code[] = {0x76, 0x03, 0x0F, 0x28, 0xF0, 0xF3, 0x44, 0x0F, 0x11, 0x83};
  std::memcpy(image.data() + at, code, sizeof code);
  std::memcpy(image.data() + at + sizeof code, &displacement, sizeof displacement);
  return image;
}

TEST_F(VehicleTest, AFieldOffsetOf64KiBOrMoreIsNoField) {
  const auto fieldAfterLimiting = [&](std::uint32_t displacement) {
    host.Unload();
    host.environment.mainImage = ImageWithStore(64 * 1024, 40000, displacement);
    host.Load();
    const std::int32_t car = GetIn(true);
    Frame();  // got in standing
    host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);  // the limiter itself still works
    float value;
    std::memcpy(&value, host.game.Vehicle(car).memory.data() + (displacement & 0xFFFF), sizeof value);
    return value;
  };
  EXPECT_EQ(fieldAfterLimiting(0xFFFF), 0.6F);
  EXPECT_EQ(fieldAfterLimiting(0x10000), 0.0F);  // would write past the object
  EXPECT_EQ(fieldAfterLimiting(0xFFFFFFF0), 0.0F);
}

TEST_F(VehicleTest, TheScanReadsOnlyPagesThatCanBeRead) {
  // Pages closed to reading before the store: skipped, not touched (touching
  // one ends the process), and the store behind them is found.
  host.Unload();
  host.environment.mainImage = ImageWithStore(6 * sim::PageSize, 4 * sim::PageSize + 100, LimiterOffset);
  host.environment.noAccessPages = {1, 2};
  host.Load();
  const std::int32_t car = GetIn(true);
  Frame();  // got in standing
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(LimiterField(car), 0.6F);

  // A store whose displacement runs into a closed page, or one that starts
  // in the last page, which is closed: not found, and nothing crashes.
  for (const std::size_t at : {2 * sim::PageSize - 12, 6 * sim::PageSize - 40}) {
    SCOPED_TRACE(at);
    host.Unload();
    host.environment.mainImage = ImageWithStore(6 * sim::PageSize, at, LimiterOffset);
    host.environment.noAccessPages = {2, 5};
    host.Load();
    const std::int32_t other = GetIn(true);
    Frame();  // got in standing
    host.game.Vehicle(other).velocity = {20.0F, 0.0F, 0.0F};
    Frame();
    EXPECT_EQ(host.game.Vehicle(other).velocity.x, 9.72F);
    EXPECT_EQ(LimiterField(other), 0.0F);
  }

  // A store that ends on the last byte before a closed page, its
  // displacement behind it, beside a whole one: the first is found and
  // cannot be read, so neither is trusted.
  std::vector<std::uint8_t> image = ImageWithStore(6 * sim::PageSize, 2 * sim::PageSize - 10, LimiterOffset);
  const std::vector<std::uint8_t> whole = ImageWithStore(6 * sim::PageSize, 4 * sim::PageSize, LimiterOffset);
  std::copy_n(whole.begin() + 4 * sim::PageSize, 14, image.begin() + 4 * sim::PageSize);
  host.Unload();
  host.environment.mainImage = image;
  host.environment.noAccessPages = {2};
  host.Load();
  const std::int32_t car2 = GetIn(true);
  Frame();  // got in standing
  host.game.Vehicle(car2).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(LimiterField(car2), 0.0F) << "a store beside one that could not be read was trusted";
}

TEST_F(VehicleTest, WithoutThePatternTheLimiterWorksButWritesNoField) {
  host.Unload();
  host.environment.mainImage.assign(4096, 0x90);
  host.Load();
  const std::int32_t car = GetIn(true);
  Frame();  // got in standing
  host.game.Vehicle(car).velocity = {20.0F, 0.0F, 0.0F};
  Frame();
  EXPECT_EQ(host.game.Vehicle(car).velocity.x, 9.72F);
  EXPECT_EQ(LimiterField(car), 0.0F);
}

}  // namespace
