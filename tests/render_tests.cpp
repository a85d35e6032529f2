// The screenshot renderer, checked on a few pixels.
#include "Render.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

struct Pixel {
  int red;
  int green;
  int blue;
};

class Picture {
 public:
  explicit Picture(const std::string& file) : surface_(cairo_image_surface_create_from_png(file.c_str())) {}
  ~Picture() { cairo_surface_destroy(surface_); }
  bool Loaded() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  Pixel At(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t value;
    std::memcpy(&value, row + x * 4, sizeof value);
    return {static_cast<int>(value >> 16 & 0xFF), static_cast<int>(value >> 8 & 0xFF),
            static_cast<int>(value & 0xFF)};
  }

 private:
  cairo_surface_t* surface_;
};

TEST(Renderer, RectanglesAndColourCodesComeOutInTheirColours) {
  sim::Game game;
  game.rects.push_back({0.25F, 0.5F, 0.1F, 0.1F, {200, 30, 40, 255}, 0});
  sim::TextStyleState style;
  style.scaleX = style.scaleY = 2.0F;
  style.colour = {255, 255, 255, 255};
  style.outline = false;
  game.texts.push_back({"~g~MMMM", style, 0.55F, 0.3F, 1});
  const std::string file = (std::filesystem::temp_directory_path() / "halvane-render-test.png").string();
  ASSERT_TRUE(sim::RenderFrame(game, file));
  Picture picture(file);
  ASSERT_TRUE(picture.Loaded());

  const Pixel inside = picture.At(320, 360);  // the rectangle's centre
  EXPECT_EQ(inside.red, 200);
  EXPECT_EQ(inside.green, 30);
  EXPECT_EQ(inside.blue, 40);

  // Somewhere in the text's box the glyphs are green, not white.
  int green = 0;
  int white = 0;
  for (int y = 216; y < 216 + 90; ++y) {
    for (int x = 704; x < 1100; ++x) {
      const Pixel p = picture.At(x, y);
      green += p.green > 180 && p.red < 140 && p.blue < 140;
      white += p.red > 230 && p.green > 230 && p.blue > 230;
    }
  }
  EXPECT_GT(green, 500);
  EXPECT_EQ(white, 0);
  std::filesystem::remove(file);
}

}  // namespace
