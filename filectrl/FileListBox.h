// The picture list: the entries of one folder that match a mask, in the name
// order. The program's instance is never seen; it is the index of the
// pictures of the chosen folder, which the countdown picks from.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "shell/components/Controls.h"
#include "shell/components/ScreenPointer.h"

namespace pix {

enum class TFileType : std::uint8_t {
  ftReadOnly,
  ftHidden,
  ftSystem,
  ftVolumeID,
  ftDirectory,
  ftArchive,
  ftNormal
};

// A set of TFileType.
class TFileTypes {
 public:
  constexpr TFileTypes() = default;
  constexpr TFileTypes(std::initializer_list<TFileType> types) {
    for (const auto type : types)
      bits_ |= Bit(type);
  }
  constexpr bool Contains(TFileType type) const { return (bits_ & Bit(type)) != 0; }
  constexpr bool operator==(const TFileTypes&) const = default;
  // The file attribute bits of the members other than ftNormal.
  std::uint32_t AttributeMask() const;

 private:
  static constexpr std::uint8_t Bit(TFileType type) {
    return static_cast<std::uint8_t>(1u << static_cast<int>(type));
  }
  std::uint8_t bits_ = 0;
};

enum class FileGlyph : std::uint8_t { None, Executable, ClosedFolder, UnknownFile };

class TFileListBox : public TWinControl {
 public:
  // The list starts at the process's current directory, mask "*.*", plain
  // files only, and lists nothing until its items are first needed.
  TFileListBox(std::string name, TWinControl* parent, int left, int top, int width, int height, Os& os,
               ScreenPointer* pointer = nullptr);
  // A list without a place in a window.
  explicit TFileListBox(Os& os, ScreenPointer* pointer = nullptr)
      : TFileListBox("", nullptr, 0, 0, 145, 97, os, pointer) {}

  const std::string& FolderPath() const { return folderPath_; }
  void SetFolderPath(const std::string& path);

  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& mask);

  TFileTypes FileType() const { return fileType_; }
  void SetFileType(TFileTypes types);

  bool ShowGlyphs() const { return showGlyphs_; }
  void SetShowGlyphs(bool show);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height) { itemHeight_ = height; }

  int ItemCount();
  const std::string& Item(int index);
  FileGlyph ItemGlyph(int index);

  int SelectedIndex();
  void SetSelectedIndex(int index);
  std::string SelectedFileName();
  std::string SelectedFilePath();

  // Points the list at a folder ("C:\Pictures\"), a mask ("C:\Pictures\*.png")
  // or a file ("C:\Pictures\a.jpg").
  void ApplyPath(const std::string& text);
  void SelectFileName(const std::string& name);
  void ReloadItems();

  // The list's window: listing waits until it exists. The first use of the
  // items creates it, and so does the first show of the main window.
  bool HasWindow() const { return hasWindow_; }
  void CreateWindowHandle();

  std::function<void()> OnChange;

 private:
  struct ListItem {
    std::string text;
    std::optional<FileGlyph> folderGlyph;  // set for folder entries only
  };
  void EnsureWindow();
  void Changed() {
    Notify(ControlChange::Content);
    if (OnChange) OnChange();
  }

  Os& os_;
  ScreenPointer* pointer_;  // not owned; may be null
  std::string folderPath_;
  std::string mask_ = "*.*";
  TFileTypes fileType_{TFileType::ftNormal};
  bool showGlyphs_ = false;
  int itemHeight_ = 13;
  bool hasWindow_ = false;
  std::vector<ListItem> items_;
  int selected_ = -1;
};

}  // namespace pix
