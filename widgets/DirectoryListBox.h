// The folder list: the chain of folders from a drive's root down to the
// current folder, then that folder's subfolders. The user walks the tree
// with it; the program reads and sets its current folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/Controls.h"
#include "platform/Os.h"

namespace pix {

enum class FolderItemKind : std::uint8_t { OnTheWay, Current, Subfolder };

struct FolderItem {
  std::string text;
  FolderItemKind kind;
};

class TDirectoryListBox : public TListControl {
 public:
  // The list starts at the process's current directory, without items.
  TDirectoryListBox(std::string name, TWinControl* parent, int left, int top, int width, int height, Os& os);
  // A list without a place in a window.
  explicit TDirectoryListBox(Os& os) : TDirectoryListBox("", nullptr, 0, 0, 145, 97, os) {}

  const std::string& FolderPath() const { return folderPath_; }
  // Moves the list to a folder; raises EInOutError when the platform refuses,
  // leaving the list as it was.
  void SetFolderPath(const std::string& path);
  // The first character of FolderPath ("\" on a network path).
  char DriveLetter() const { return folderPath_.empty() ? '\0' : folderPath_[0]; }
  // Moves to a drive's own current folder; none only rebuilds.
  void ChangeDrive(std::optional<char> drive);
  void RebuildItems();

  // The folder an item stands for ("" past the last item).
  std::string ItemFolderPath(int index);
  // Opens the highlighted item (double click, Enter); nothing when none is.
  void OpenSelected() override;

  int ItemCount() override;
  const FolderItem& Item(int index);
  ListItemView ItemView(int index) override;
  int SelectedIndex() override;
  void SetSelectedIndex(int index) override;
  int CurrentIndex() const { return currentIndex_; }

  // What drawing an item needs.
  int ItemIndent(int index);
  std::string ItemDisplayText(int index);
  int ItemHeight() const override { return itemHeight_; }
  void SetItemHeight(int height) { itemHeight_ = height; }

  bool PreservesCase() const { return preserveCase_; }
  bool IsCaseSensitive() const { return caseSensitive_; }

  // Typing to find: a typed character moves the highlight. Gives whether the
  // character was consumed; Backspace, Enter and Esc go on to their usual
  // handling.
  bool KeyPress(char key) override;

  bool HasWindow() const { return hasWindow_; }
  bool HasItems() const override { return hasWindow_; }
  void CreateWindowHandle();
  void WindowCreated() override { CreateWindowHandle(); }

  std::function<void()> OnChange;
  std::function<void()> OnClick;

 private:
  void EnsureWindow();
  void Changed() {
    Notify(ControlChange::Content);
    if (OnChange) OnChange();
  }
  bool SameFolder(const std::string& a, const std::string& b);

  Os& os_;
  std::string folderPath_;
  std::vector<FolderItem> items_;
  int selected_ = -1;
  int currentIndex_ = -1;
  bool preserveCase_ = true;
  bool caseSensitive_ = false;
  bool settingFolder_ = false;
  bool hasWindow_ = false;
  bool built_ = false;  // the items have been built at least once
  int itemHeight_ = 16;
  std::string searchText_;
  std::optional<std::uint32_t> lastKeyTick_;
};

}  // namespace pix
