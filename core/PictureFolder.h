// The picture folder: the entries of one folder that match a mask, in the
// name order. It is the index the countdown picks from, and the order the
// sequence walks. It has no window: nobody ever sees it. The entries are
// listed under their own names in wide characters, also those the ANSI code
// page cannot spell; the folder path itself is ANSI text.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/PackedStrings.h"
#include "platform/Os.h"

namespace pix {

enum class FileType : std::uint8_t { ReadOnly, Hidden, System, VolumeId, Directory, Archive, Normal };

// A set of FileType.
class FileTypes {
 public:
  constexpr FileTypes() = default;
  constexpr FileTypes(std::initializer_list<FileType> types) {
    for (const auto type : types)
      bits_ |= Bit(type);
  }
  constexpr bool Contains(FileType type) const { return (bits_ & Bit(type)) != 0; }
  constexpr bool operator==(const FileTypes&) const = default;
  // The file attribute bits of the members other than Normal.
  std::uint32_t AttributeMask() const;

 private:
  static constexpr std::uint8_t Bit(FileType type) {
    return static_cast<std::uint8_t>(1u << static_cast<int>(type));
  }
  std::uint8_t bits_ = 0;
};

// Where long work shows that the program is busy: the hourglass while a
// listing runs long. Started at most once per listing, and always ended.
class BusyIndicator {
 public:
  virtual ~BusyIndicator() = default;
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
};

class PictureFolder {
 public:
  // The folder starts at the process's current directory, mask "*.*", plain
  // files only, and lists nothing until its entries are first needed.
  explicit PictureFolder(Os& os, BusyIndicator* busy = nullptr);

  const std::string& FolderPath() const { return folderPath_; }
  // Moves to a folder (absolute, or relative to this one) and lists it;
  // raises EInOutError when the platform refuses, leaving everything as it
  // was. Once the entries have been listed, a change of the mask or the
  // types lists them anew at once too.
  void SetFolderPath(const std::string& path);

  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& mask);

  FileTypes Types() const { return types_; }
  void SetTypes(FileTypes types);

  int Count();
  std::wstring Name(int index);

  int SelectedIndex();
  // An index outside the entries selects none.
  void Select(int index);
  std::wstring SelectedFileName();
  // The folder path and the selected name, in wide characters.
  std::wstring SelectedFilePath();

  // Points the folder at a folder ("C:\Pictures\"), a mask ("C:\Pictures\*.png")
  // or a file ("C:\Pictures\a.jpg").
  void ApplyPath(const std::string& text);
  // Selects the entry of this name (ANSI text, as a path's file part is).
  void SelectFileName(const std::string& name);
  // Lists the folder now.
  void Reload();

 private:
  void EnsureListed();
  // The selected name as ANSI text; "" when none is selected or the code
  // page cannot spell it (so that no ANSI text names it).
  std::string SelectedAnsiName();
  std::wstring_view NameAt(std::size_t index) const { return names_[order_[index]]; }

  Os& os_;
  BusyIndicator* busy_;  // not owned; may be null
  std::string folderPath_;
  std::string mask_ = "*.*";
  FileTypes types_{FileType::Normal};
  bool listed_ = false;
  // The names as they were found, and their order: entry i is names_[order_[i]].
  PackedStrings<wchar_t> names_;
  std::vector<std::uint32_t> order_;
  int selected_ = -1;
};

}  // namespace pix
