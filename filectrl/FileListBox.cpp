#include "filectrl/FileListBox.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>

#include "filectrl/PathRules.h"
#include "settings/Errors.h"

namespace pix {

std::uint32_t TFileTypes::AttributeMask() const {
  std::uint32_t mask = 0;
  if (Contains(TFileType::ftReadOnly)) mask |= attr::kReadOnly;
  if (Contains(TFileType::ftHidden)) mask |= attr::kHidden;
  if (Contains(TFileType::ftSystem)) mask |= attr::kSystem;
  if (Contains(TFileType::ftVolumeID)) mask |= attr::kVolumeId;
  if (Contains(TFileType::ftDirectory)) mask |= attr::kDirectory;
  if (Contains(TFileType::ftArchive)) mask |= attr::kArchive;
  return mask;
}

namespace {

// A long listing shows the hourglass from its 101st item on.
constexpr std::size_t kBusyFromItem = 100;

// The pieces of a mask, split at every ";" and kept exactly as written.
std::vector<std::string> MaskPieces(const std::string& mask) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = mask.find(';', start);
    pieces.push_back(mask.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return pieces;
    start = end + 1;
  }
}

FileGlyph GlyphForFile(Os& os, const std::string& name) {
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) {
    const std::string extension = os.LowerCase(name.substr(dot));
    if (extension == ".exe" || extension == ".com" || extension == ".bat" || extension == ".pif")
      return FileGlyph::Executable;
  }
  return FileGlyph::UnknownFile;
}

}  // namespace

TFileListBox::TFileListBox(std::string name, TWinControl* parent, int left, int top, int width, int height,
                           Os& os, ScreenPointer* pointer)
    : TWinControl(std::move(name), parent, left, top, width, height),
      os_(os),
      pointer_(pointer),
      folderPath_(os.GetCurrentDirectory()) {}

void TFileListBox::CreateWindowHandle() {
  if (hasWindow_) return;
  hasWindow_ = true;
  ReloadItems();
}

void TFileListBox::EnsureWindow() {
  CreateWindowHandle();
}

void TFileListBox::SetFolderPath(const std::string& path) {
  if (SameFileName(os_, path, folderPath_)) return;
  // A drive without a medium is refused, not asked for.
  QuietCriticalErrors quiet(os_);
  // A relative text is read against the list's own folder.
  if (DirectoryExists(os_, folderPath_)) ChangeDirectory(os_, folderPath_);
  ChangeDirectory(os_, path);
  folderPath_ = os_.GetCurrentDirectory();
  ReloadItems();
}

void TFileListBox::SetMask(const std::string& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  ReloadItems();
}

void TFileListBox::SetFileType(TFileTypes types) {
  if (types == fileType_) return;
  fileType_ = types;
  ReloadItems();
}

void TFileListBox::SetShowGlyphs(bool show) {
  showGlyphs_ = show;
  // Room for the 15-pixel glyphs and a line between them.
  if (show && itemHeight_ < 16) itemHeight_ = 16;
}

void TFileListBox::ReloadItems() {
  if (!hasWindow_) return;
  const std::uint32_t wanted = fileType_.AttributeMask();
  const bool listNormal = fileType_.Contains(TFileType::ftNormal);
  constexpr std::uint32_t kFiltered = attr::kHidden | attr::kSystem | attr::kVolumeId | attr::kDirectory;

  ChangeDirectory(os_, folderPath_);
  items_.clear();
  selected_ = -1;
  BusyPointer busy(pointer_);

  // One enumeration per mask piece, then one sort: a file that matches two
  // pieces stays listed twice, side by side, in the order of the pieces.
  std::vector<ListItem> collected;
  try {
    for (const std::string& piece : MaskPieces(mask_)) {
      for (DirEntry& entry : os_.FindFiles(piece).value) {
        if (entry.attributes & kFiltered & ~wanted) continue;
        if (!listNormal && (entry.attributes & wanted) == 0) continue;
        if (entry.attributes & attr::kDirectory)
          collected.push_back(
              {"[" + entry.name + "]", showGlyphs_ ? FileGlyph::ClosedFolder : FileGlyph::None});
        else
          collected.push_back({std::move(entry.name), std::nullopt});
        if (collected.size() > kBusyFromItem) busy.ShowHourGlass();
      }
    }
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Unable to insert a line");
  }

  struct Keyed {
    std::string key;
    std::size_t index;
  };
  std::vector<Keyed> keys;
  keys.reserve(collected.size());
  for (std::size_t i = 0; i < collected.size(); ++i)
    keys.push_back({os_.SortKeyIgnoreCase(collected[i].text), i});
  std::stable_sort(keys.begin(), keys.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  items_.reserve(collected.size());
  for (const Keyed& keyed : keys)
    items_.push_back(std::move(collected[keyed.index]));
  Changed();
}

int TFileListBox::ItemCount() {
  EnsureWindow();
  return static_cast<int>(items_.size());
}

const std::string& TFileListBox::Item(int index) {
  EnsureWindow();
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)].text;
}

FileGlyph TFileListBox::ItemGlyph(int index) {
  const std::string& text = Item(index);
  // A file's glyph follows from its name; only a folder's is fixed at the reload.
  const auto& folderGlyph = items_[static_cast<std::size_t>(index)].folderGlyph;
  return folderGlyph ? *folderGlyph : GlyphForFile(os_, text);
}

int TFileListBox::SelectedIndex() {
  EnsureWindow();
  return selected_;
}

void TFileListBox::SetSelectedIndex(int index) {
  EnsureWindow();
  selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  Notify(ControlChange::Content);
}

std::string TFileListBox::SelectedFileName() {
  EnsureWindow();
  return selected_ < 0 ? std::string() : items_[static_cast<std::size_t>(selected_)].text;
}

std::string TFileListBox::SelectedFilePath() {
  const std::string name = SelectedFileName();
  return name.empty() ? std::string() : JoinPath(folderPath_, name);
}

void TFileListBox::ApplyPath(const std::string& text) {
  if (text.empty() || SameFileName(os_, text, SelectedFilePath())) return;
  QuietCriticalErrors quiet(os_);
  const ResolvedPath resolved = ResolvePathText(os_, text);
  SetFolderPath(resolved.drive ? std::string(1, *resolved.drive) + ":" + resolved.folder : resolved.folder);

  const std::string& file = resolved.file;
  if (file.find_first_of("*?") != std::string::npos) {
    SetMask(file);
  } else if (!file.empty()) {
    SelectFileName(file);
    if (!FileExists(os_, file)) throw EInvalidOperation("Invalid file name - " + text);
    if (SelectedFileName().empty()) {
      // The file is there but the mask hides it: list it by its own name.
      SetMask(file);
      SelectFileName(file);
    }
  }
}

void TFileListBox::SelectFileName(const std::string& name) {
  if (SameFileName(os_, name, SelectedFileName())) return;
  const int count = static_cast<int>(items_.size());
  selected_ = -1;
  // The search starts at the second item and wraps round to the first.
  for (int step = 0; step < count; ++step) {
    const int index = (step + 1) % count;
    if (os_.CompareTextIgnoreCase(items_[static_cast<std::size_t>(index)].text, name) == 0) {
      selected_ = index;
      break;
    }
  }
  Changed();
}

}  // namespace pix
