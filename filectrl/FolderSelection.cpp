// The folder list's press handler: a left press takes the list's folder as
// the picture folder, a right press moves the list to the next drive's root.
#include "shell/pix_rn1.h"

namespace pix {

void TForm1::chdisMouseDown(TObject*, TMouseButton button, TShiftState, int, int) {
  // While the countdown runs the list takes no further input.
  if (cyber.Enabled()) chdis.SetEnabled(false);
  if (!cyber.Enabled()) chdis.SetEnabled(true);

  if (button == TMouseButton::mbLeft) {
    pth.SetText(chdis.FolderPath());
    if (pth.Text().size() > 3) pth.SetText(pth.Text() + "\\");
    return;
  }
  if (button != TMouseButton::mbRight) return;

  if (drv.SelectedIndex() == drv.ItemCount() - 1) drv.SetSelectedIndex(-1);
  drv.SetSelectedIndex(drv.SelectedIndex() + 1);
  Edit1.SetText("");
  Edit2.SetText("");
  Edit3.SetText("");
  Edit1.SetText(drv.Text());
  // The drive letter stands before the item's first ":"; each ":" is an
  // attempt at the root gathered so far. A drive that cannot be entered is
  // passed over without a word.
  const std::size_t length = drv.Text().size();
  for (std::size_t position = 0; position < length; ++position) {
    Edit2.SetText(Edit1.Text().substr(position, 1));
    if (Edit2.Text() == ":") {
      Edit3.SetText(Edit3.Text() + ":\\");
      try {
        chdis.SetFolderPath(Edit3.Text());
        return;
      } catch (const std::exception&) {
        Edit3.SetText(Edit3.Text() + Edit2.Text());
      }
    }
    Edit3.SetText(Edit3.Text() + Edit2.Text());
  }
}

}  // namespace pix
