#include "backend/Window.h"

#include "platform/win32/Handles.h"

#include <utility>

namespace pix::win32 {

namespace {
// The window property that binds a window to its Window object; windows
// that are not the backend's have none.
constexpr const char* kBinding = "Pix.Window";
}  // namespace

void RegisterWindowClass(const char* name, UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background;
  windowClass.hIcon = icon;
  windowClass.lpszClassName = name;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(windowClass.hInstance, name, &existing)) return;
  if (!::RegisterClassExA(&windowClass)) ThrowLastError("RegisterClassEx");
}

Window::~Window() {
  Destroy();
}

Window* Window::FromHandle(HWND window) {
  return window ? static_cast<Window*>(::GetPropA(window, kBinding)) : nullptr;
}

void Window::Destroy() {
  if (!hwnd_) return;
  const HWND window = hwnd_;
  Unbind();
  ::DestroyWindow(window);
}

void Window::Create(const char* className, DWORD exStyle, const char* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId) {
  if (!::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                         ::GetModuleHandleA(nullptr), this) ||
      !hwnd_)
    ThrowLastError("CreateWindowEx");
}

void Window::CreateControl(const char* className, DWORD exStyle, const char* text, DWORD style, int x, int y,
                           int width, int height, HWND parent, int id) {
  const HWND window = ::CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        ::GetModuleHandleA(nullptr), nullptr);
  if (!window) ThrowLastError("CreateWindowEx");
  hwnd_ = window;
  ::SetPropA(window, kBinding, this);
  original_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Procedure)));
}

LRESULT Window::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
  return original_ ? ::CallWindowProcA(original_, hwnd_, message, wParam, lParam)
                   : ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Window::Unbind() noexcept {
  if (!hwnd_) return;
  ::RemovePropA(hwnd_, kBinding);
  if (original_)
    ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(std::exchange(original_, nullptr)));
  hwnd_ = nullptr;
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = window;
      ::SetPropA(window, kBinding, self);
    }
  } else {
    self = FromHandle(window);
  }
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);

  LRESULT result = 0;
  if (self->boundary_.Closed()) {
    result = self->CallDefault(message, wParam, lParam);
  } else {
    try {
      result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
      self->boundary_.Report(std::current_exception());
    }
  }
  if (message == WM_NCDESTROY) self->Unbind();
  return result;
}

}  // namespace pix::win32
