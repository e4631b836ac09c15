// The one window procedure of the backend. A Window object owns its HWND,
// either of a class of the program's own (bound on WM_NCCREATE) or of a
// system control that it subclasses (bound right after creation), and gets
// each message as a member call. No exception leaves the procedure: it goes
// to the boundary, which shows it in the error box.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <exception>

namespace pix::win32 {

// Where the window procedures hand what they cannot handle themselves.
class MessageBoundary {
 public:
  virtual ~MessageBoundary() = default;
  // An exception that reached a window procedure.
  virtual void Report(std::exception_ptr error) noexcept = 0;
  // Once the program is being torn down, messages get the default handling
  // only, so that no handler sees half-destroyed components.
  virtual bool Closed() const noexcept = 0;
};

// Registers a window class of the program's own with the shared procedure;
// a class registered before is fine.
void RegisterWindowClass(const char* name, UINT style, HCURSOR cursor, HBRUSH background,
                         HICON icon = nullptr);

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Hwnd() const { return hwnd_; }
  // The Window bound to a window of this backend, or nullptr for any other.
  static Window* FromHandle(HWND window);

  // Destroys the window now; later messages to it never reach this object.
  void Destroy();

 protected:
  explicit Window(MessageBoundary& boundary) : boundary_(boundary) {}

  // A window of a class registered with RegisterWindowClass.
  void Create(const char* className, DWORD exStyle, const char* title, DWORD style, int x, int y, int width,
              int height, HWND parent, HMENU menuOrId);
  // A system control (EDIT, LISTBOX, COMBOBOX), subclassed.
  void CreateControl(const char* className, DWORD exStyle, const char* text, DWORD style, int x, int y,
                     int width, int height, HWND parent, int id);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallDefault(message, wParam, lParam);
  }
  // The class's own handling: DefWindowProc, or the system control's procedure.
  LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

  MessageBoundary& Boundary() const { return boundary_; }

 private:
  friend void RegisterWindowClass(const char*, UINT, HCURSOR, HBRUSH, HICON);
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  void Unbind() noexcept;

  MessageBoundary& boundary_;
  HWND hwnd_ = nullptr;         // owned: destroyed with this object
  WNDPROC original_ = nullptr;  // the system control's procedure, when subclassed
};

}  // namespace pix::win32
