// The start-delay editor: a click on the delay label opens an edit field over
// it; Enter commits the typed delay (0 switches the automatic run off, any
// other value is at least 50), Esc closes the field and keeps the delay.
#include "settings/LenientInt.h"
#include "shell/pix_rn1.h"

namespace pix {

namespace {
constexpr std::uint16_t kEnter = 13, kEscape = 27;
constexpr int kEditorOverLabel = 213, kEditorParked = 10000;
}  // namespace

void TForm1::timMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  if (CountdownRuns()) return;
  DelayBeforeEdit = tim2.Text();
  tim2.SetEnabled(true);
  tim2.SetText(tim.Caption());
  tim2.SetLeft(kEditorOverLabel);
  tim2.SelectAll();
  tim2.SetFocus();
}

void TForm1::tim2KeyDown(TObject*, std::uint16_t& key, TShiftState) {
  if (key == kEnter) {
    const std::int32_t delay = ParseLenientInt(tim2.Text());
    if (delay < 50) tim2.SetText("50");
    if (delay == 0) tim2.SetText("0");
    tim.SetCaption(tim2.Text());
    HideDelayEditor();
  } else if (key == kEscape) {
    // A cancelled edit leaves the saved delay as it was.
    tim2.SetText(DelayBeforeEdit);
    HideDelayEditor();
  }
}

void TForm1::HideDelayEditor() {
  tim2.SetLeft(kEditorParked);
  tim2.SetEnabled(false);
  xxx.SetFocus();
}

}  // namespace pix
