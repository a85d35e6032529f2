#include "PlaygroundView.h"

#include "TextRuns.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr wchar_t WindowClass[] = L"HalvanePlayground";
// The playground's own boxes are laid out for a game view this high and
// scaled with it.
constexpr double LayoutHeight = 720.0;
// Courier New's letters are 0.6 of its height wide.
constexpr double FixedPitchWidth = 0.6;
constexpr COLORREF PanelText = RGB(225, 225, 225);

std::uint32_t Pixel(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue);
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

}  // namespace

bool PlaygroundView::Open(int width, int height) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &PlaygroundView::Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = WindowClass;
  RegisterClassExW(&windowClass);
  RECT frame = {0, 0, width, height};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  window_ = CreateWindowExW(0, WindowClass, L"Halvane Playground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Fit();
  return surface_ != nullptr;
}

LRESULT CALLBACK PlaygroundView::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<PlaygroundView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_GETMINMAXINFO) {
    RECT frame = {0, 0, SmallestWindowWidth, SmallestWindowHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
    limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
    return 0;
  }
  if (view != nullptr && message == WM_DESTROY) {
    view->closed_ = true;
    return 0;
  }
  if (view != nullptr && message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (view->surface_ != nullptr)
      BitBlt(target, 0, 0, view->width_, view->height_, view->surface_, 0, 0, SRCCOPY);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

void PlaygroundView::Fit() {
  RECT client;
  GetClientRect(window_, &client);
  const int width = std::max(1, static_cast<int>(client.right));
  const int height = std::max(1, static_cast<int>(client.bottom));
  if (surface_ != nullptr && width == width_ && height == height_) return;
  if (surface_ != nullptr) {
    DeleteDC(surface_);
    DeleteObject(bitmap_);
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(window_);
  surface_ = CreateCompatibleDC(screen);
  bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(window_, screen);
  SelectObject(surface_, bitmap_);
  SetBkMode(surface_, TRANSPARENT);
  pixels_ = static_cast<std::uint32_t*>(bits);
  width_ = width;
  height_ = height;
  // The largest 16:9 box in the room left of the panel, in its middle.
  const int room = std::max(1, width - PanelWidth);
  const int viewWidth = std::max(16, std::min(room, height * 16 / 9));
  const int viewHeight = viewWidth * 9 / 16;
  const int left = (room - viewWidth) / 2;
  const int top = (height - viewHeight) / 2;
  view_ = {left, top, left + viewWidth, top + viewHeight};
}

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

void PlaygroundView::PaintRect(const sim::DrawnRect& rect) {
  const auto x = [this](float fraction) {
    return static_cast<LONG>(view_.left +
                             std::lround(fraction * static_cast<float>(view_.right - view_.left)));
  };
  const auto y = [this](float fraction) {
    return static_cast<LONG>(view_.top +
                             std::lround(fraction * static_cast<float>(view_.bottom - view_.top)));
  };
  Blend({x(rect.x - rect.width / 2), y(rect.y - rect.height / 2), x(rect.x + rect.width / 2),
         y(rect.y + rect.height / 2)},
        view_, rect.colour[0], rect.colour[1], rect.colour[2], rect.colour[3]);
}

// The text's runs in their colours, with a dark outline drawn around each
// run when the style asks for one; positions give the top of the text.
void PlaygroundView::PaintText(const sim::DrawnText& drawn) {
  // Sized to the screen, as the game sizes its texts.
  const int viewWidth = view_.right - view_.left;
  const int viewHeight = view_.bottom - view_.top;
  const double size = drawn.style.scaleY * sim::TextHeightAtScaleOne * viewHeight;
  HFONT font =
      CreateFontW(-static_cast<int>(std::lround(size)), 0, 0, 0, drawn.style.font == 4 ? FW_NORMAL : FW_BOLD,
                  FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
  HGDIOBJ previous = SelectObject(surface_, font);
  const sim::Rgb base = {drawn.style.colour[0], drawn.style.colour[1], drawn.style.colour[2]};
  const std::vector<sim::TextRun> runs = sim::SplitAtCodes(drawn.text, base);
  std::vector<std::wstring> texts;
  int width = 0;
  for (const sim::TextRun& run : runs) {
    texts.push_back(Wide(run.text));
    SIZE extent = {};
    GetTextExtentPoint32W(surface_, texts.back().c_str(), static_cast<int>(texts.back().size()), &extent);
    width += extent.cx;
  }
  int x = view_.left + static_cast<int>(std::lround(drawn.x * static_cast<float>(viewWidth))) -
          (drawn.style.centred ? width / 2 : 0);
  const int y = view_.top + static_cast<int>(std::lround(drawn.y * static_cast<float>(viewHeight)));
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

void PlaygroundView::Draw(const sim::Game& game, const std::string& ammoCounter,
                          const std::vector<std::string>& panel, const std::vector<std::string>& help,
                          const std::string& error) {
  Fit();
  // Black bars round the game view, the panel plain dark; the game view a
  // dusk sky over a dark road.
  const int panelLeft = std::max(0, width_ - PanelWidth);
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* row = pixels_ + static_cast<std::ptrdiff_t>(y) * width_;
    std::fill_n(row, panelLeft, Pixel(0, 0, 0));
    std::fill_n(row + panelLeft, width_ - panelLeft, Pixel(24, 24, 28));
  }
  const int viewWidth = view_.right - view_.left;
  const int viewHeight = view_.bottom - view_.top;
  for (int y = view_.top; y < view_.bottom; ++y) {
    const double t = static_cast<double>(y - view_.top) / viewHeight;
    const double shade = t < 0.6 ? 0.10 + t / 0.6 * 0.10 : 0.20 - (t - 0.6) / 0.4 * 0.08;
    const auto level = static_cast<std::int32_t>(shade * 255);
    std::fill_n(pixels_ + static_cast<std::ptrdiff_t>(y) * width_ + view_.left, viewWidth,
                Pixel(level, level + 5, static_cast<std::int32_t>(level * 1.3)));
  }
  // What the game draws stays on its screen.
  HRGN screen = CreateRectRgnIndirect(&view_);
  SelectClipRgn(surface_, screen);
  auto rect = game.rects.begin();
  auto text = game.texts.begin();
  while (rect != game.rects.end() || text != game.texts.end()) {
    if (text == game.texts.end() || (rect != game.rects.end() && rect->order < text->order)) {
      PaintRect(*rect++);
    } else {
      PaintText(*text++);
    }
  }
  if (!ammoCounter.empty()) PaintAmmoCounter(ammoCounter);
  // The playground's own boxes, laid out for a 720-high view and scaled.
  const double scale = viewHeight / LayoutHeight;
  const auto scaled = [scale](int pixels) { return static_cast<int>(std::lround(pixels * scale)); };
  const int margin = viewWidth / 30;
  if (!help.empty()) {
    // Below the ammunition counter's plate.
    const int top = view_.top + viewHeight / 9;
    const int right = view_.left + std::min(viewWidth - margin, margin + scaled(560));
    const int bottom = std::min(static_cast<int>(view_.bottom) - margin,
                                top + scaled(20 * static_cast<int>(help.size()) + 24));
    Blend({view_.left + margin, top, right, bottom}, view_, 0, 0, 0, 200);
    Lines(help, view_.left + margin + scaled(12), top + scaled(10), right - view_.left - margin - scaled(24),
          bottom - top - scaled(20), scaled(20), RGB(255, 230, 150));
  }
  if (!error.empty()) {
    // The whole error, wrapped to the view's width: it names the file and the cause.
    std::vector<std::string> lines = {"HALVANE.ASI IS NOT LOADED; the world runs without it.", ""};
    std::size_t start = 0;
    for (std::size_t end; (end = error.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(error.substr(start, end - start));
    lines.push_back(error.substr(start));
    const std::vector<std::string> wrapped = sim::WrapLines(lines, 60);
    const int top = view_.top + viewHeight / 3;
    const int bottom = std::min(static_cast<int>(view_.bottom) - margin,
                                top + scaled(22 * static_cast<int>(wrapped.size()) + 24));
    Blend({view_.left + margin, top, view_.right - margin, bottom}, view_, 90, 0, 0, 220);
    Lines(wrapped, view_.left + margin + scaled(12), top + scaled(10), viewWidth - 2 * margin - scaled(24),
          bottom - top - scaled(20), scaled(22), RGB(255, 220, 220));
  }
  SelectClipRgn(surface_, nullptr);
  DeleteObject(screen);
  Lines(sim::WrapLines(panel, PanelColumns), panelLeft + 10, 8, PanelWidth - 16, height_ - 16, 18, PanelText);
  GdiFlush();
  HDC target = GetDC(window_);
  BitBlt(target, 0, 0, width_, height_, surface_, 0, 0, SRCCOPY);
  ReleaseDC(window_, target);
}
