// Painting onto the playground's drawing surface: one of the plug-in's
// rectangles or texts mapped onto the game view, blocks of lines in a
// fixed-pitch font, and the game's ammunition counter.
#include "PlaygroundView.h"

#include "TextRuns.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

// Courier New's letters are 0.6 of its height wide.
constexpr double FixedPitchWidth = 0.6;
// A text of the game's whose em the view makes smaller than this, in pixels,
// cannot be read (a bold "UP/DOWN" reads "UPIDOWN"): it is drawn with an
// em of RaisedTextPixels instead, in a narrow plain face.
constexpr int SmallestTextPixels = 10;
constexpr int RaisedTextPixels = 11;
// A text on a panel ends at least this many pixels before the panel's
// right edge; to fit, it is drawn as small as this em, and no smaller.
constexpr int PanelPadding = 2;
constexpr int SmallestPanelTextPixels = 10;

// The first of `faces` this machine has, or the last when it has none.
const wchar_t* FirstFace(HDC surface, std::initializer_list<const wchar_t*> faces) {
  for (const wchar_t* face : faces) {
    LOGFONTW wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(
        surface, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
          *reinterpret_cast<bool*>(found) = true;
          return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    if (found) return face;
  }
  return *std::prev(faces.end());
}

// The faces the game's texts are drawn in: Arial, or a face of its measure;
// and for a raised text, a narrow one, so that it
// takes about the room the game's size gives it. (Under Wine, a face it
// lacks falls back to a bitmap face whose small letters cannot be read.)
const wchar_t* TextFace(HDC surface, bool narrow) {
  static const wchar_t* const regular = FirstFace(surface, {L"Arial", L"Liberation Sans", L"DejaVu Sans"});
  static const wchar_t* const condensed =
      FirstFace(surface, {L"Arial Narrow", L"Liberation Sans Narrow", L"DejaVu Sans Condensed", regular});
  return narrow ? condensed : regular;
}

// The width of `texts` in the font selected into `surface`.
int TextWidth(HDC surface, const std::vector<std::wstring>& texts) {
  int width = 0;
  for (const std::wstring& text : texts) {
    SIZE extent = {};
    GetTextExtentPoint32W(surface, text.c_str(), static_cast<int>(text.size()), &extent);
    width += extent.cx;
  }
  return width;
}

// A font for the game's texts: an em of `pixels`, letters `width` wide on
// average (0: the face's own).
HFONT GameFont(HDC surface, int pixels, int width, int weight, bool narrow) {
  return CreateFontW(-pixels, width, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, TextFace(surface, narrow));
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

}  // namespace

// Source-over blending of one colour into the surface.
void PlaygroundView::Blend(RECT box, const RECT& within, std::int32_t red, std::int32_t green,
                           std::int32_t blue, std::int32_t alpha) {
  GdiFlush();
  const int left =
      std::clamp(static_cast<int>(box.left), static_cast<int>(within.left), static_cast<int>(within.right));
  const int right = std::clamp(static_cast<int>(box.right), left, static_cast<int>(within.right));
  const int top =
      std::clamp(static_cast<int>(box.top), static_cast<int>(within.top), static_cast<int>(within.bottom));
  const int bottom = std::clamp(static_cast<int>(box.bottom), top, static_cast<int>(within.bottom));
  const std::int32_t a = std::clamp(alpha, 0, 255);
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = pixels_ + static_cast<std::ptrdiff_t>(y) * width_;
    for (int x = left; x < right; ++x) {
      const std::uint32_t under = row[x];
      const auto mix = [a](std::int32_t over, std::uint32_t was) {
        return (over * a + static_cast<std::int32_t>(was & 0xFF) * (255 - a) + 127) / 255;
      };
      row[x] = Pixel(mix(red, under >> 16), mix(green, under >> 8), mix(blue, under));
    }
  }
}

RECT PlaygroundView::RectBox(const sim::DrawnRect& rect) const {
  const auto x = [this](float fraction) {
    return static_cast<LONG>(view_.left +
                             std::lround(fraction * static_cast<float>(view_.right - view_.left)));
  };
  const auto y = [this](float fraction) {
    return static_cast<LONG>(view_.top +
                             std::lround(fraction * static_cast<float>(view_.bottom - view_.top)));
  };
  return {x(rect.x - rect.width / 2), y(rect.y - rect.height / 2), x(rect.x + rect.width / 2),
          y(rect.y + rect.height / 2)};
}

void PlaygroundView::PaintRect(const sim::DrawnRect& rect) {
  Blend(RectBox(rect), view_, rect.colour[0], rect.colour[1], rect.colour[2], rect.colour[3]);
}

// The text's runs in their colours, with a dark outline drawn around each
// run when the style asks for one; positions give the top of the text. A
// text that starts on a box drawn before it (a panel of the menu) ends
// inside that box: the plug-in lays its texts out for the game's condensed
// face, and a wider face here would run past the box's edge, so it is
// drawn smaller (and, past the smallest em that reads, narrower) until it fits.
void PlaygroundView::PaintText(const sim::DrawnText& drawn, const std::vector<sim::DrawnRect>& rects) {
  // Sized to the screen, as the game sizes its texts.
  const int viewWidth = view_.right - view_.left;
  const int viewHeight = view_.bottom - view_.top;
  const double size = drawn.style.scaleY * sim::TextHeightAtScaleOne * viewHeight;
  const int pixels = static_cast<int>(std::lround(size));
  const bool bold = drawn.style.font != 4;
  const sim::Rgb base = {drawn.style.colour[0], drawn.style.colour[1], drawn.style.colour[2]};
  const std::vector<sim::TextRun> runs = sim::SplitAtCodes(drawn.text, base);
  std::vector<std::wstring> texts;
  for (const sim::TextRun& run : runs) texts.push_back(Wide(run.text));
  // The text at the game's size, in the game's weight.
  const int weight = bold ? FW_BOLD : FW_NORMAL;
  HFONT font = GameFont(surface_, pixels, 0, weight, false);
  HGDIOBJ previous = SelectObject(surface_, font);
  int width = TextWidth(surface_, texts);
  const bool raised = pixels < SmallestTextPixels && width > 0;
  if (raised) {
    // Raised to be read, in a narrow face, so that it takes about the room
    // the game's size gives it, and plain: a bold one's strokes run
    // together at this size.
    SelectObject(surface_, previous);
    DeleteObject(font);
    font = GameFont(surface_, RaisedTextPixels, 0, FW_NORMAL, true);
    SelectObject(surface_, font);
    width = TextWidth(surface_, texts);
  }
  int x = view_.left + static_cast<int>(std::lround(drawn.x * static_cast<float>(viewWidth))) -
          (drawn.style.centred ? width / 2 : 0);
  const int y = view_.top + static_cast<int>(std::lround(drawn.y * static_cast<float>(viewHeight)));
  if (const std::optional<RECT> panel = drawn.style.centred ? std::nullopt : PanelUnder(drawn, rects, x, y)) {
    const int room = static_cast<int>(panel->right) - PanelPadding - x;
    // A pixel smaller at a time, down to the smallest that reads; then, if
    // need be, narrower letters (which the face draws less well).
    const int fontWeight = raised ? FW_NORMAL : weight;
    int em = raised ? RaisedTextPixels : pixels;
    int letter = 0;
    while (width > room && (em > SmallestPanelTextPixels || letter != 1)) {
      if (em > SmallestPanelTextPixels) {
        --em;
      } else {
        TEXTMETRICW metrics = {};
        GetTextMetricsW(surface_, &metrics);
        letter =
            letter == 0 ? std::max(1, static_cast<int>(metrics.tmAveCharWidth) * room / width) : letter - 1;
      }
      SelectObject(surface_, previous);
      DeleteObject(font);
      font = GameFont(surface_, em, letter, fontWeight, raised);
      SelectObject(surface_, font);
      width = TextWidth(surface_, texts);
    }
  }
  // A translucent text is drawn in its colour mixed with what is under it at its position.
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::wstring& text = texts[i];
    const int length = static_cast<int>(text.size());
    if (drawn.style.outline) {
      SetTextColor(surface_, RGB(0, 0, 0));
      for (const auto& [dx, dy] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
        TextOutW(surface_, x + dx, y + dy, text.c_str(), length);
      }
    }
    const std::int32_t alpha = drawn.style.colour[3];
    const std::uint32_t under = x >= 0 && x < width_ && y >= 0 && y < height_ ? pixels_[y * width_ + x] : 0;
    const auto mix = [alpha](std::int32_t over, std::uint32_t was) {
      return static_cast<BYTE>((over * alpha + static_cast<std::int32_t>(was & 0xFF) * (255 - alpha)) / 255);
    };
    SetTextColor(surface_, RGB(mix(runs[i].colour[0], under >> 16), mix(runs[i].colour[1], under >> 8),
                               mix(runs[i].colour[2], under)));
    TextOutW(surface_, x, y, text.c_str(), length);
    SIZE extent = {};
    GetTextExtentPoint32W(surface_, text.c_str(), length, &extent);
    x += extent.cx;
  }
  SelectObject(surface_, previous);
  DeleteObject(font);
}

std::optional<RECT> PlaygroundView::PanelUnder(const sim::DrawnText& drawn,
                                               const std::vector<sim::DrawnRect>& rects, int x, int y) const {
  // The text's first letter, a few pixels right of where it starts and
  // below its top.
  const POINT start = {x + 2, y + 3};
  std::optional<RECT> under;
  for (const sim::DrawnRect& rect : rects) {
    const RECT box = RectBox(rect);
    if (rect.order < drawn.order && PtInRect(&box, start)) under = box;
  }
  return under;
}

void PlaygroundView::Lines(const std::vector<std::string>& lines, int x, int y, int width, int height,
                           int largest, COLORREF colour) {
  std::size_t longest = 1;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  const int byWidth = static_cast<int>(width / (FixedPitchWidth * static_cast<double>(longest))) + 3;
  const int byHeight = height / std::max(1, static_cast<int>(lines.size()));
  const int lineHeight = std::max(6, std::min({largest, byWidth, byHeight}));
  HFONT font =
      CreateFontW(-(lineHeight - 3), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FIXED_PITCH, L"Courier New");
  HGDIOBJ previous = SelectObject(surface_, font);
  SetTextColor(surface_, colour);
  for (const std::string& line : lines) {
    const std::wstring text = Wide(line);
    TextOutW(surface_, x, y, text.c_str(), static_cast<int>(text.size()));
    y += lineHeight;
  }
  SelectObject(surface_, previous);
  DeleteObject(font);
}

// The game's counter: the weapon and its magazine | reserve, right-aligned
// at the top right of the game view on a dark plate.
void PlaygroundView::PaintAmmoCounter(const std::string& counter) {
  const int size = std::max(12, static_cast<int>(view_.bottom - view_.top) / 24);
  HFONT font = CreateFontW(-size, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
  HGDIOBJ previous = SelectObject(surface_, font);
  const std::wstring text = Wide(counter);
  SIZE extent = {};
  GetTextExtentPoint32W(surface_, text.c_str(), static_cast<int>(text.size()), &extent);
  const int right = view_.right - size;
  const int left = std::max(static_cast<int>(view_.left), right - static_cast<int>(extent.cx));
  const int top = view_.top + size / 2;
  Blend({left - size / 2, top, right + size / 2, top + static_cast<int>(extent.cy) + size / 2}, view_, 0, 0,
        0, 140);
  SetTextColor(surface_, RGB(240, 240, 240));
  TextOutW(surface_, left, top + size / 4, text.c_str(), static_cast<int>(text.size()));
  SelectObject(surface_, previous);
  DeleteObject(font);
}
