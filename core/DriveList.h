// The drives of the machine, as the folder list's right press walks them:
// one item per drive, in letter order, with its volume label or network
// share, and the item of the drive the program started on selected.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Os.h"

namespace pix {

class DriveList {
 public:
  // Notes the drive of the process's current directory (none on a network
  // path), whose item starts selected. The items are built once, at their
  // first use, so that a run that never walks the drives never asks them;
  // a drive attached after that has no item.
  explicit DriveList(Os& os);

  int Count();
  const std::string& Item(int index);
  int SelectedIndex();
  // An index outside the items selects none.
  void Select(int index);
  // The selected item's text, "" with none selected.
  std::string Text();

 private:
  void EnsureBuilt();
  std::string VolumeLabelText(char letter);
  std::string NetworkShareText(char letter);
  std::string CaseLike(char letter, const std::string& text);

  Os& os_;
  std::optional<char> startDrive_;
  bool built_ = false;
  std::vector<std::string> items_;
  int selected_ = -1;
};

// Moves to the next drive, from the last to the first, and tries its root:
// each ":" of the item's text is an attempt with the text gathered so far
// followed by ":\", until `enterRoot` takes one (gives true). A root that
// cannot be entered is passed over without a word; the selection stays on
// the new item either way.
void MoveToNextDrive(DriveList& drives, const std::function<bool(const std::string& root)>& enterRoot);

}  // namespace pix
