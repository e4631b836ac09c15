// The hint pop-ups: which text a control shows, and when. The logic is plain
// C++; a window backend provides the pop-up (HintDisplay) and a one-shot
// timer (HintClock) and feeds the controller the messages it takes from the
// queue.
#pragma once

#include <cstdint>
#include <string>

namespace pix {

class TControl;

// The pop-up window itself.
class HintDisplay {
 public:
  virtual ~HintDisplay() = default;
  // Shows (or replaces) the hint for a cursor at this point of the screen;
  // the display places itself below the cursor and on the desktop.
  virtual void ShowHint(const std::string& utf8Text, int cursorScreenX, int cursorScreenY) = 0;
  virtual void HideHint() = 0;
};

// One pending timer at a time; starting it again replaces it. When it runs
// out, the backend calls HintController::TimerFired once.
class HintClock {
 public:
  virtual ~HintClock() = default;
  virtual void StartHintTimer(unsigned milliseconds) = 0;
  virtual void StopHintTimer() = 0;
};

// The text a control shows: going up from the control, the nearest one whose
// ShowHint is on holds the hint (none: no hint). Its Hint, or if that is
// empty the Hint of its nearest parent that has one, up to the first "|".
// An empty result shows nothing. hintControl, when given, receives the
// control whose ShowHint is on, or nullptr.
std::string HintTextFor(const TControl* control, const TControl** hintControl = nullptr);

// A rectangle on the screen, right and bottom exclusive.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

// Where a hint of this size goes: at the cursor's x, cursorDepth pixels below
// the cursor's y (the visible part of the cursor below its hot spot), moved
// left or up as far as needed to lie on the desktop, but never off its left
// or top edge.
ScreenRect PlaceHint(int cursorX, int cursorY, int cursorDepth, int width, int height,
                     const ScreenRect& desktop);

enum class HintPhase : std::uint8_t {
  Idle,     // nothing shown or waiting
  Waiting,  // the pause runs before the hint shows
  Shown,    // visible; hides when its time is up
  Expired,  // shown and hidden again by time; stays hidden on this control
};

// When hints come and go. The pause before the first hint is 500 ms; once a
// hint has shown (and has not been cancelled since), the next control's hint
// shows at once. A shown hint hides after 2500 ms. Hints show only while the
// program is the active application; it starts as inactive.
//
// What the window backend calls, all on the GUI thread:
//  - MouseMoved: for every WM_MOUSEMOVE over one of the program's windows and
//    on idle (queue empty), with the control under the cursor found among the
//    program's controls, disabled ones included (the topmost one: windowed
//    controls above pictures and labels, later ones above earlier), and the
//    cursor's screen position; nullptr when the cursor is over none of them
//    or outside the program's windows.
//  - CancelMessage: for every message taken from the queue that is a key
//    message (WM_KEYFIRST..WM_KEYLAST), a mouse-button or wheel message
//    (client or non-client), WM_COMMAND or WM_SYSCOMMAND, or WM_NCMOUSEMOVE
//    (a mouse move over a window frame), before it is dispatched.
//  - ApplicationActivated: on WM_ACTIVATEAPP, with its wParam.
//  - TimerFired: when the HintClock's timer runs out.
class HintController {
 public:
  HintController(HintDisplay& display, HintClock& clock);
  HintController(const HintController&) = delete;
  HintController& operator=(const HintController&) = delete;

  void MouseMoved(TControl* control, int screenX, int screenY);
  void CancelMessage();
  // A change of activation cancels the hint too.
  void ApplicationActivated(bool active);
  void TimerFired();

  // The control whose hint is waiting, shown or expired; nullptr when idle.
  const TControl* HintControl() const { return hintControl_; }
  HintPhase Phase() const { return phase_; }
  // A hint has shown since the last cancel, so the next one needs no pause.
  bool HintActive() const { return hintActive_; }
  bool ApplicationActive() const { return applicationActive_; }

 private:
  void Cancel();
  void Show();

  HintDisplay& display_;                   // not owned
  HintClock& clock_;                       // not owned
  const TControl* hintControl_ = nullptr;  // not owned
  HintPhase phase_ = HintPhase::Idle;
  bool hintActive_ = false;
  bool applicationActive_ = false;
  int cursorX_ = 0, cursorY_ = 0;
};

}  // namespace pix
