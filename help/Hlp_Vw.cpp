// The help program: one resizable window whose client area is a read-only
// multi-line edit with the help text. Started by the help button without
// parameters; Esc or the close box ends it. A second start brings the open
// window to the front instead of opening another.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include "help/HelpText.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Handles.h"

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace pix::help {
namespace {

constexpr wchar_t kClassName[] = L"Pix_Rn.Hlp_Vw";
constexpr wchar_t kInstanceName[] = L"Pix_Rn.Hlp_Vw.Running";
constexpr int kIconId = 1;
constexpr int kEditId = 100;
// Sizes at 96 dpi, scaled to the screen's.
constexpr int kWidth = 680, kHeight = 620, kMinWidth = 320, kMinHeight = 200, kMargin = 10, kPoints = 10;

std::wstring Widened(std::u8string_view text) {
  if (text.empty()) return {};
  const char* bytes = reinterpret_cast<const char*>(text.data());
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
  if (length <= 0) win32::ThrowLastError("MultiByteToWideChar");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, size, wide.data(), length) != length)
    win32::ThrowLastError("MultiByteToWideChar");
  return wide;
}

// An edit control breaks lines only at CR LF.
std::wstring WithWindowsLineEnds(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (wchar_t c : text) {
    if (c == L'\n') out += L'\r';
    out += c;
  }
  return out;
}

// Lines break at blanks only, never inside a path such as
// C:\Windows\Pix_Rn.jpg, as the edit's own rule may. The edit calls it as
// an EDITWORDBREAKPROCW, whose text is not const.
// NOLINTNEXTLINE(readability-non-const-parameter)
int CALLBACK BreakAtBlanks(LPWSTR text, int index, int count, int action) {
  switch (action) {
    case WB_ISDELIMITER:
      return index < count && text[index] == L' ';
    case WB_LEFT:
      // The start of the word left of the index.
      if (count == 0) return 0;
      if (index > 0) --index;
      while (index > 0 && text[index] == L' ')
        --index;
      while (index > 0 && text[index - 1] != L' ')
        --index;
      return index;
    case WB_RIGHT:
      // The start of the next word.
      while (index < count && text[index] != L' ')
        ++index;
      while (index < count && text[index] == L' ')
        ++index;
      return index;
    default:
      return 0;
  }
}

int ScreenDpi() {
  const win32::ClientDC screen(nullptr);
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

// The system's message font at a size that reads comfortably.
win32::UniqueFont MakeTextFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  bool got = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  if (!got) {
    // Systems before Vista know the structure without its last field.
    metrics.cbSize = sizeof metrics - sizeof metrics.iPaddedBorderWidth;
    got = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  }
  LOGFONTW font = got ? metrics.lfMessageFont : LOGFONTW{};
  if (!got) ::lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
  font.lfHeight = -::MulDiv(kPoints, dpi, 72);
  font.lfWidth = 0;
  font.lfCharSet = DEFAULT_CHARSET;
  win32::UniqueFont made(::CreateFontIndirectW(&font));
  if (!made) win32::ThrowLastError("CreateFontIndirectW");
  return made;
}

// The window class, registered for the program's lifetime.
class WindowClass {
 public:
  WindowClass(HINSTANCE instance, WNDPROC procedure) : instance_(instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    // Shared icons and cursors belong to the system: nothing to free.
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    // IDC_ARROW, in its wide form.
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) win32::ThrowLastError("RegisterClassExW");
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass() { ::UnregisterClassW(kClassName, instance_); }

 private:
  HINSTANCE instance_;
};

class HelpWindow {
 public:
  HelpWindow(HINSTANCE instance, int show)
      : dpi_(ScreenDpi()), font_(MakeTextFont(dpi_)), class_(instance, &HelpWindow::Procedure) {
    const std::wstring title = Widened(HelpTitle());
    const HWND window =
        ::CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                          Scaled(kWidth), Scaled(kHeight), nullptr, nullptr, instance, this);
    if (!window) {
      Rethrow();
      win32::ThrowLastError("CreateWindowExW");
    }
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
  }
  HelpWindow(const HelpWindow&) = delete;
  HelpWindow& operator=(const HelpWindow&) = delete;
  // The window goes first, while everything its procedure uses is still there.
  ~HelpWindow() { window_.reset(); }

  // The message loop, until the window is gone.
  int Run() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && window_) {
        ::PostMessageW(window_.get(), WM_CLOSE, 0, 0);
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    Rethrow();
    return 0;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<HelpWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->window_.reset(window);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HelpWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
      return self->Handle(window, message, wParam, lParam);
    } catch (...) {
      // Ends the loop; Run() throws it on.
      self->failure_ = std::current_exception();
      ::PostQuitMessage(1);
      return message == WM_CREATE ? -1 : 0;
    }
  }

  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        CreateTextView();
        return 0;
      case WM_SIZE:
        if (text_) FitTextView(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_SETFOCUS:
        if (text_) ::SetFocus(text_);
        return 0;
      case WM_DPICHANGED: {
        // Moved to a display of another scale: the text's size follows, and
        // the window takes the place the system suggests.
        dpi_ = LOWORD(wParam);
        win32::UniqueFont font = MakeTextFont(dpi_);
        if (text_) ::SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        font_ = std::move(font);
        const auto* place = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window, nullptr, place->left, place->top, place->right - place->left,
                       place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {Scaled(kMinWidth), Scaled(kMinHeight)};
        return 0;
      }
      case WM_CTLCOLORSTATIC:
        // A read-only edit would be grey; the help reads better on the
        // window colour.
        if (reinterpret_cast<HWND>(lParam) == text_) {
          const HDC dc = reinterpret_cast<HDC>(wParam);
          ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
          ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
          return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
        }
        break;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      case WM_NCDESTROY:
        // The system has destroyed the window (and the edit, its child).
        static_cast<void>(window_.release());
        text_ = nullptr;
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  void CreateTextView() {
    // A child of the window, destroyed with it.
    text_ = ::CreateWindowExW(
        0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
        0, 0, 0, window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window_.get(), GWLP_HINSTANCE)), nullptr);
    if (!text_) win32::ThrowLastError("CreateWindowExW (EDIT)");
    ::SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageW(text_, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(&BreakAtBlanks));
    // No limit: the default one is meant for typing, not for a text this long.
    ::SendMessageW(text_, EM_SETLIMITTEXT, 0, 0);
    const std::wstring text = WithWindowsLineEnds(Widened(HelpText()));
    if (!::SetWindowTextW(text_, text.c_str())) win32::ThrowLastError("SetWindowTextW");
    ::SendMessageW(text_, EM_SETSEL, 0, 0);
  }

  // The edit fills the client area, its text kept off the edges.
  void FitTextView(int width, int height) {
    ::MoveWindow(text_, 0, 0, width, height, TRUE);
    RECT area;
    ::GetClientRect(text_, &area);
    area.left += Scaled(kMargin);
    area.right -= Scaled(kMargin);
    area.top += Scaled(kMargin) / 2;
    if (area.right > area.left) ::SendMessageW(text_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&area));
  }

  void Rethrow() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

  int Scaled(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }

  int dpi_;
  win32::UniqueFont font_;  // outlives the window, whose edit uses it
  WindowClass class_;
  win32::UniqueWindow window_;  // destroyed by the destructor unless the user closed it
  HWND text_ = nullptr;         // not owned: the window's child
  std::exception_ptr failure_;
};

// Another help window already open: bring it to the front.
bool ShowOpenWindow() {
  const HWND open = ::FindWindowW(kClassName, nullptr);
  if (!open) return false;
  if (::IsIconic(open)) ::ShowWindow(open, SW_RESTORE);
  ::SetForegroundWindow(open);
  return true;
}

}  // namespace
}  // namespace pix::help

// The parameters keep the names winbase.h declares them with.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd) {
  // Before anything can load a library by name.
  pix::win32::RestrictDllSearchToSystemFolder();
  using namespace pix::help;
  try {
    const pix::win32::UniqueHandle running(::CreateMutexW(nullptr, FALSE, kInstanceName));
    if (running && ::GetLastError() == ERROR_ALREADY_EXISTS && ShowOpenWindow()) return 0;
    HelpWindow window(hInstance, nShowCmd);
    return window.Run();
  } catch (const std::exception& failure) {
    const std::string what = failure.what();
    const std::wstring text(what.begin(), what.end());
    ::MessageBoxW(nullptr, text.c_str(), L"Hlp_Vw", MB_OK | MB_ICONERROR);
  } catch (...) {
    ::MessageBoxW(nullptr, L"Unknown error", L"Hlp_Vw", MB_OK | MB_ICONERROR);
  }
  return 1;
}
