#include "components/Hints.h"

#include "components/Application.h"
#include "components/Controls.h"

namespace pix {

std::string HintTextFor(const TControl* control, const TControl** hintControl) {
  const TControl* owner = control;
  while (owner != nullptr && !owner->ShowHint())
    owner = owner->Parent();
  if (hintControl != nullptr) *hintControl = owner;
  const TControl* holder = owner;
  while (holder != nullptr && holder->Hint().empty())
    holder = holder->Parent();
  if (holder == nullptr) return {};
  const std::string& hint = holder->Hint();
  return hint.substr(0, hint.find('|'));
}

ScreenRect PlaceHint(int cursorX, int cursorY, int cursorDepth, int width, int height,
                     const ScreenRect& desktop) {
  int left = cursorX, top = cursorY + cursorDepth;
  if (left + width > desktop.right) left = desktop.right - width;
  if (top + height > desktop.bottom) top = desktop.bottom - height;
  if (left < desktop.left) left = desktop.left;
  if (top < desktop.top) top = desktop.top;
  return {left, top, left + width, top + height};
}

HintController::HintController(HintDisplay& display, HintClock& clock) : display_(display), clock_(clock) {}

void HintController::MouseMoved(TControl* control, int screenX, int screenY) {
  cursorX_ = screenX;
  cursorY_ = screenY;
  if (!applicationActive_) return;
  const TControl* owner = nullptr;
  if (HintTextFor(control, &owner).empty()) {
    Cancel();
    return;
  }
  if (owner == hintControl_) return;
  hintControl_ = owner;
  const unsigned pause = hintActive_ ? TApplication::kHintShortPause : TApplication::kHintPause;
  if (pause == 0) {
    Show();
    return;
  }
  if (phase_ == HintPhase::Shown) display_.HideHint();
  phase_ = HintPhase::Waiting;
  clock_.StartHintTimer(pause);
}

void HintController::CancelMessage() {
  Cancel();
}

void HintController::ApplicationActivated(bool active) {
  Cancel();
  applicationActive_ = active;
}

void HintController::TimerFired() {
  switch (phase_) {
    case HintPhase::Waiting:
      Show();
      break;
    case HintPhase::Shown:
      clock_.StopHintTimer();
      display_.HideHint();
      phase_ = HintPhase::Expired;
      break;
    case HintPhase::Idle:
    case HintPhase::Expired:
      clock_.StopHintTimer();  // a late tick of a timer already given up
      break;
  }
}

void HintController::Cancel() {
  if (phase_ == HintPhase::Waiting || phase_ == HintPhase::Shown) clock_.StopHintTimer();
  if (phase_ == HintPhase::Shown) display_.HideHint();
  phase_ = HintPhase::Idle;
  hintControl_ = nullptr;
  hintActive_ = false;
}

void HintController::Show() {
  const std::string text = HintTextFor(hintControl_);
  if (text.empty()) {
    Cancel();
    return;
  }
  display_.ShowHint(text, cursorX_, cursorY_);
  phase_ = HintPhase::Shown;
  hintActive_ = true;
  clock_.StartHintTimer(TApplication::kHintHidePause);
}

}  // namespace pix
