// The hint pop-up on a real window: a borderless top-most tool window with a
// thin raised edge in the system's tooltip colours and status-bar font,
// shown without taking the activation, and the hint timer on that window.
//
// What the window backend does with it (all on the GUI thread):
//  - creates one Win32Hints after the application window, with that window
//    as owner and an error handler that shows the application's error box
//    (made while the program is already in front, it starts as active);
//  - for every message it takes from the queue, calls SeeQueuedMessage(msg)
//    before dispatching it: key, mouse-button, wheel, command and
//    non-client mouse messages cancel the hint;
//  - for every WM_MOUSEMOVE over one of the program's windows, and on idle,
//    calls Controller().MouseMoved(control, x, y) with the control under the
//    cursor (disabled ones included; nullptr over none of them or outside
//    the program's windows) and the cursor's screen position;
//  - on WM_ACTIVATEAPP calls Controller().ApplicationActivated(wParam != 0).
//    The hint window, being top-level, also gets WM_ACTIVATEAPP and reports
//    it itself; a second report of the same state is harmless.
// The hint timer's WM_TIMER reaches the hint window through the ordinary
// dispatch and calls HintController::TimerFired.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <exception>
#include <functional>
#include <string>

#include "components/Hints.h"
#include "platform/win32/Handles.h"

namespace pix {

// Messages that cancel a hint when they are taken from the queue.
bool IsHintCancelMessage(UINT message);

// The text as the window shows it: UTF-8 turned into UTF-16.
std::wstring WideFromUtf8(const std::string& utf8);

class Win32HintWindow final : public HintDisplay {
 public:
  // owner: the application window (not owned), or nullptr.
  Win32HintWindow(HINSTANCE instance, HWND owner);
  ~Win32HintWindow() override;
  Win32HintWindow(const Win32HintWindow&) = delete;
  Win32HintWindow& operator=(const Win32HintWindow&) = delete;

  void ShowHint(const std::string& utf8Text, int cursorScreenX, int cursorScreenY) override;
  void HideHint() override;

  HWND Handle() const { return window_.get(); }

  // Called with the timer id of a WM_TIMER on this window, after the timer
  // is killed (so every timer on it fires once).
  std::function<void(UINT_PTR timerId)> OnTimer;
  // Called on WM_ACTIVATEAPP.
  std::function<void(bool active)> OnActivateApp;
  // Gets what escapes a handler above, so that nothing crosses the window
  // procedure; without it the failure is dropped.
  std::function<void(const std::exception&)> OnError;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HWND window);
  void LoadFont();
  HFONT Font() const;

  win32::UniqueFont font_;
  std::wstring text_;
  // Last, so that the window goes before the state its procedure uses.
  win32::UniqueWindow window_;
};

// The hint timer: one pending timer, on the hint window.
class Win32HintClock final : public HintClock {
 public:
  explicit Win32HintClock(Win32HintWindow& window) : window_(window) {}
  ~Win32HintClock() override { StopHintTimer(); }
  Win32HintClock(const Win32HintClock&) = delete;
  Win32HintClock& operator=(const Win32HintClock&) = delete;

  void StartHintTimer(unsigned milliseconds) override;
  void StopHintTimer() override;

  static constexpr UINT_PTR kTimerId = 1;

 private:
  Win32HintWindow& window_;  // not owned
};

// The pop-up, its timer and the controller, wired together.
class Win32Hints {
 public:
  // owner: the application window (not owned); onError: where a failure in
  // the hint's own messages goes (the application's error box).
  Win32Hints(HINSTANCE instance, HWND owner, std::function<void(const std::exception&)> onError = {});
  Win32Hints(const Win32Hints&) = delete;
  Win32Hints& operator=(const Win32Hints&) = delete;

  HintController& Controller() { return controller_; }
  Win32HintWindow& Window() { return window_; }
  void SeeQueuedMessage(const MSG& message) {
    if (IsHintCancelMessage(message.message)) controller_.CancelMessage();
  }

 private:
  Win32HintWindow window_;
  Win32HintClock clock_;
  HintController controller_;
};

}  // namespace pix
