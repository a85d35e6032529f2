#include "Render.h"

#include "TextRuns.h"

#include <cairo.h>

#include <memory>

// Fontconfig, which cairo draws its texts through, keeps its caches for the
// life of the process, by design. Every program that renders (the demo
// player, the tests) tells LeakSanitizer so itself, quietly, so that it runs
// as it is without LSAN_OPTIONS; elsewhere these are never called.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

namespace sim {

namespace {

void SetColour(cairo_t* cr, std::array<std::int32_t, 3> colour, std::int32_t alpha) {
  cairo_set_source_rgba(cr, colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0, alpha / 255.0);
}

void DrawText(cairo_t* cr, const DrawnText& drawn) {
  const double size = drawn.style.scaleY * TextHeightAtScaleOne * ScreenHeight;
  // Font 0 is the game's bold text face, font 4 a plain condensed one.
  cairo_select_font_face(cr, "DejaVu Sans Condensed", CAIRO_FONT_SLANT_NORMAL,
                         drawn.style.font == 4 ? CAIRO_FONT_WEIGHT_NORMAL : CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, size);
  const std::array<std::int32_t, 3> base = {drawn.style.colour[0], drawn.style.colour[1],
                                            drawn.style.colour[2]};
  const std::vector<TextRun> runs = SplitAtCodes(drawn.text, base);
  double width = 0.0;
  for (const TextRun& run : runs) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, run.text.c_str(), &extents);
    width += extents.x_advance;
  }
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  double x = drawn.x * ScreenWidth - (drawn.style.centred ? width / 2.0 : 0.0);
  const double y = drawn.y * ScreenHeight + font.ascent;  // positions give the top of the text
  for (const TextRun& run : runs) {
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, run.text.c_str());
    if (drawn.style.outline) {
      cairo_set_source_rgba(cr, 0, 0, 0, drawn.style.colour[3] / 255.0);
      cairo_set_line_width(cr, size / 10.0);
      cairo_stroke_preserve(cr);
    }
    SetColour(cr, run.colour, drawn.style.colour[3]);
    cairo_fill(cr);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, run.text.c_str(), &extents);
    x += extents.x_advance;
  }
}

}  // namespace

bool RenderFrame(const Game& game, const std::string& pngFile) {
  const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, ScreenWidth, ScreenHeight), cairo_surface_destroy);
  const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()),
                                                                   cairo_destroy);
  cairo_t* cr = context.get();
  // A dusk-coloured scene: sky above, road below.
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, ScreenHeight);
  cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.10, 0.12, 0.18);
  cairo_pattern_add_color_stop_rgb(sky, 0.6, 0.20, 0.20, 0.24);
  cairo_pattern_add_color_stop_rgb(sky, 1.0, 0.12, 0.12, 0.12);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);

  // In the order the plug-in drew them.
  auto rect = game.rects.begin();
  auto text = game.texts.begin();
  while (rect != game.rects.end() || text != game.texts.end()) {
    if (text == game.texts.end() || (rect != game.rects.end() && rect->order < text->order)) {
      cairo_rectangle(cr, (rect->x - rect->width / 2) * ScreenWidth,
                      (rect->y - rect->height / 2) * ScreenHeight, rect->width * ScreenWidth,
                      rect->height * ScreenHeight);
      SetColour(cr, {rect->colour[0], rect->colour[1], rect->colour[2]}, rect->colour[3]);
      cairo_fill(cr);
      ++rect;
    } else {
      DrawText(cr, *text);
      ++text;
    }
  }
  cairo_surface_flush(surface.get());
  return cairo_surface_write_to_png(surface.get(), pngFile.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace sim
