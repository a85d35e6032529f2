// The playground's window: opening it, keeping its drawing surface the size
// of its client area, and composing each frame onto it: the game view, what
// the game draws in it, the playground's own boxes and the panel.
#include "PlaygroundView.h"

#include "TextRuns.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr wchar_t WindowClass[] = L"HalvanePlayground";
// The playground's own boxes are laid out for a game view this high and
// scaled with it.
constexpr double LayoutHeight = 720.0;
constexpr COLORREF PanelText = RGB(225, 225, 225);

// The work area of the screen the window opens on (the one under its
// corner), and the size the window's frame adds to its client area.
struct ScreenRoom {
  RECT work;
  int borderWidth;
  int borderHeight;
};

ScreenRoom RoomOnScreen() {
  MONITORINFO screen = {};
  screen.cbSize = sizeof screen;
  const bool known = GetMonitorInfoW(MonitorFromPoint({20, 20}, MONITOR_DEFAULTTOPRIMARY), &screen) != FALSE;
  RECT border = {0, 0, 0, 0};
  AdjustWindowRect(&border, WS_OVERLAPPEDWINDOW, FALSE);
  return {known ? screen.rcWork : RECT{0, 0, 1600, 900}, static_cast<int>(border.right - border.left),
          static_cast<int>(border.bottom - border.top)};
}

}  // namespace

SIZE PlaygroundView::LargestWindow() {
  const ScreenRoom room = RoomOnScreen();
  return {room.work.right - room.work.left - room.borderWidth,
          room.work.bottom - room.work.top - room.borderHeight};
}

bool PlaygroundView::Open(int width, int height) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &PlaygroundView::Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = WindowClass;
  RegisterClassExW(&windowClass);
  const auto [work, borderWidth, borderHeight] = RoomOnScreen();
  if (width == 0 || height == 0) {
    // The largest 16:9 view that fits the work area beside the panel.
    const int roomWidth = static_cast<int>(work.right - work.left) - borderWidth - PanelWidth;
    const int roomHeight = static_cast<int>(work.bottom - work.top) - borderHeight;
    // A whole number of 16:9 steps, so that the view fills its room exactly.
    height = std::clamp(std::min(roomHeight, roomWidth * 9 / 16) / 9 * 9, SmallestViewHeight,
                        LargestDefaultViewHeight);
    width = height * 16 / 9 + PanelWidth;
  }
  // At the work area's top left, a little in, when the window fits there.
  const int frameWidth = width + borderWidth;
  const int frameHeight = height + borderHeight;
  const int left =
      static_cast<int>(work.left) + std::clamp(static_cast<int>(work.right - work.left) - frameWidth, 0, 20);
  const int top =
      static_cast<int>(work.top) + std::clamp(static_cast<int>(work.bottom - work.top) - frameHeight, 0, 20);
  window_ = CreateWindowExW(0, WindowClass, L"Halvane Playground", WS_OVERLAPPEDWINDOW | WS_VISIBLE, left,
                            top, frameWidth, frameHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
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
      PaintText(*text++, game.rects);
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
