#include "backend/HintWindow.h"

#include "backend/Gdi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pix {

namespace {

constexpr wchar_t kClassName[] = L"PixHintWindow";
// Room around the text: the edge and the gap inside it.
constexpr int kTextInset = 2, kExtra = 6;

// The rows of a bitmap as 32-bit pixels, top row first.
std::vector<std::uint32_t> PixelsOf(HDC dc, HBITMAP bitmap, int width, int rows) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
  BITMAPINFO info = win32::TopDownBitmapInfo32(width, rows);
  if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(rows), pixels.data(), &info, DIB_RGB_COLORS) != rows)
    pixels.clear();
  return pixels;
}

// How far the visible part of the current cursor reaches below its hot spot.
int CursorDepth() {
  const int fallback = ::GetSystemMetrics(SM_CYCURSOR);
  // The hint belongs to this thread's windows, so the cursor over them is ours.
  HCURSOR cursor = ::GetCursor();
  if (cursor == nullptr) {
    CURSORINFO cursorInfo{};
    cursorInfo.cbSize = sizeof cursorInfo;
    if (::GetCursorInfo(&cursorInfo)) cursor = cursorInfo.hCursor;
  }
  ICONINFO icon{};
  if (cursor == nullptr || !::GetIconInfo(cursor, &icon)) return fallback;
  const win32::UniqueBitmap mask(icon.hbmMask), colour(icon.hbmColor);
  BITMAP maskBits{};
  if (mask.get() == nullptr || ::GetObjectW(mask.get(), sizeof maskBits, &maskBits) == 0) return fallback;
  const int width = maskBits.bmWidth;
  // A monochrome cursor keeps its AND mask above its XOR mask in one bitmap.
  const int height = colour.get() ? maskBits.bmHeight : maskBits.bmHeight / 2;
  if (width <= 0 || height <= 0) return fallback;

  const win32::ClientDC screen(nullptr);
  const std::vector<std::uint32_t> andXor = PixelsOf(screen.get(), mask.get(), width, maskBits.bmHeight);
  const std::vector<std::uint32_t> colours =
      colour.get() ? PixelsOf(screen.get(), colour.get(), width, height) : std::vector<std::uint32_t>{};
  if (andXor.empty() || (colour.get() && colours.empty())) return fallback;

  int lastVisibleRow = -1;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const std::size_t at = static_cast<std::size_t>(row) * width + column;
      // A pixel shows unless the screen stays as it is: AND mask set and
      // nothing XORed or blended onto it.
      const bool keepsScreen = (andXor[at] & 0xFFFFFF) != 0;
      const std::uint32_t drawn =
          colour.get() ? colours[at] : andXor[at + static_cast<std::size_t>(height) * width];
      if (!keepsScreen || drawn != 0) {
        lastVisibleRow = row;
        break;
      }
    }
  }
  const int depth = lastVisibleRow + 1 - static_cast<int>(icon.yHotspot);
  return depth > 0 ? depth : 0;
}

// The work area of the monitor under the cursor.
ScreenRect DesktopAt(int x, int y) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT area{};
  if (HMONITOR handle = ::MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
      handle != nullptr && ::GetMonitorInfoW(handle, &monitor)) {
    area = monitor.rcWork;
  } else if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  return {area.left, area.top, area.right, area.bottom};
}

ATOM RegisterHintClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_SAVEBITS | CS_DROPSHADOW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  ATOM atom = ::RegisterClassExW(&windowClass);
  if (atom == 0) {
    // Systems without drop shadows refuse the style.
    windowClass.style = CS_SAVEBITS;
    atom = ::RegisterClassExW(&windowClass);
  }
  if (atom == 0) win32::ThrowLastError("RegisterClassEx of the hint window");
  return atom;
}

}  // namespace

bool IsHintCancelMessage(UINT message) {
  constexpr UINT kMouseButtonsFirst = WM_LBUTTONDOWN, kMouseButtonsLast = 0x020E;  // to WM_MOUSEHWHEEL
  constexpr UINT kNcMouseFirst = WM_NCMOUSEMOVE, kNcMouseLast = 0x00AD;            // to WM_NCXBUTTONDBLCLK
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= kMouseButtonsFirst && message <= kMouseButtonsLast) ||
         (message >= kNcMouseFirst && message <= kNcMouseLast) || message == WM_COMMAND ||
         message == WM_SYSCOMMAND;
}

std::wstring WideFromUtf8(const std::string& utf8) {
  return win32::WideFromCodePage(CP_UTF8, utf8);
}

Win32HintWindow::Win32HintWindow(HINSTANCE instance, HWND owner) {
  // One class for the process, registered on first use.
  [[maybe_unused]] static const ATOM registered = RegisterHintClass(instance, &WindowProc);
  LoadFont();
  HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"",
                                  WS_POPUP, 0, 0, 0, 0, owner, nullptr, instance, this);
  if (window == nullptr) win32::ThrowLastError("CreateWindowEx of the hint window");
  window_.reset(window);
}

Win32HintWindow::~Win32HintWindow() = default;

void Win32HintWindow::ShowHint(const std::string& utf8Text, int cursorScreenX, int cursorScreenY) {
  HWND window = Handle();
  text_ = WideFromUtf8(utf8Text);
  ::SetWindowTextW(window, text_.c_str());

  const ScreenRect desktop = DesktopAt(cursorScreenX, cursorScreenY);
  RECT textRect{0, 0, desktop.right - desktop.left - kExtra, 0};
  {
    const win32::ClientDC screen(nullptr);
    const win32::Selection font(screen.get(), Font());
    ::DrawTextW(screen.get(), text_.c_str(), static_cast<int>(text_.size()), &textRect,
                DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const ScreenRect place =
      PlaceHint(cursorScreenX, cursorScreenY, CursorDepth(), textRect.right - textRect.left + kExtra,
                textRect.bottom - textRect.top + kExtra, desktop);
  ::SetWindowPos(window, HWND_TOPMOST, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::InvalidateRect(window, nullptr, TRUE);
  ::UpdateWindow(window);
}

void Win32HintWindow::HideHint() {
  ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void Win32HintWindow::LoadFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  bool got = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  if (!got) {
    // Older systems know the structure only up to the message font.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
    got = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  }
  LOGFONTW font = metrics.lfStatusFont;
  if (!got) {
    font = LOGFONTW{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    const win32::ClientDC screen(nullptr);
    font.lfHeight = -::MulDiv(8, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  }
  font_.reset(::CreateFontIndirectW(&font));
}

HFONT Win32HintWindow::Font() const {
  return font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void Win32HintWindow::Paint(HWND window) {
  const win32::PaintSession paint(window);
  RECT client{};
  ::GetClientRect(window, &client);
  ::FillRect(paint.get(), &client, ::GetSysColorBrush(COLOR_INFOBK));
  ::DrawEdge(paint.get(), &client, BDR_RAISEDOUTER, BF_RECT);
  const win32::Selection font(paint.get(), Font());
  ::SetTextColor(paint.get(), ::GetSysColor(COLOR_INFOTEXT));
  ::SetBkMode(paint.get(), TRANSPARENT);
  RECT textRect{client.left + kTextInset, client.top + kTextInset, client.right, client.bottom};
  ::DrawTextW(paint.get(), text_.c_str(), static_cast<int>(text_.size()), &textRect,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CALLBACK Win32HintWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32HintWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandleMessage(window, message, wParam, lParam);
  } catch (const std::exception& error) {
    try {
      if (self->OnError) self->OnError(error);
    } catch (...) {
    }
  } catch (...) {
  }
  return 0;
}

LRESULT Win32HintWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the mouse goes to what lies below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;  // the paint fills everything
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_TIMER:
      ::KillTimer(window, wParam);
      if (OnTimer) OnTimer(wParam);
      return 0;
    case WM_ACTIVATEAPP:
      if (OnActivateApp) OnActivateApp(wParam != FALSE);
      return 0;
    case WM_SETTINGCHANGE:
      LoadFont();
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32HintClock::StartHintTimer(unsigned milliseconds) {
  // Without a timer left the hint simply does not come.
  ::SetTimer(window_.Handle(), kTimerId, milliseconds, nullptr);
}

void Win32HintClock::StopHintTimer() {
  ::KillTimer(window_.Handle(), kTimerId);
}

Win32Hints::Win32Hints(HINSTANCE instance, HWND owner, std::function<void(const std::exception&)> onError)
    : window_(instance, owner), clock_(window_), controller_(window_, clock_) {
  window_.OnError = std::move(onError);
  window_.OnTimer = [this](UINT_PTR timerId) {
    if (timerId == Win32HintClock::kTimerId) controller_.TimerFired();
  };
  window_.OnActivateApp = [this](bool active) {
    if (active != controller_.ApplicationActive()) controller_.ApplicationActivated(active);
  };
  // Made while the program is already in front: no WM_ACTIVATEAPP will say so.
  if (HWND front = ::GetForegroundWindow();
      front != nullptr && ::GetWindowThreadProcessId(front, nullptr) == ::GetCurrentThreadId())
    controller_.ApplicationActivated(true);
}

}  // namespace pix
