#include "widgets/DirectoryListBox.h"

#include <algorithm>

#include "core/PathRules.h"
#include "settings/Errors.h"
#include "skin/SkinNames.h"

namespace pix {

namespace {
// Keys typed further apart than this start a new search.
constexpr std::uint32_t kSearchResetMs = 499;
constexpr char kBackspace = 8, kEnter = 13, kEscape = 27;
}  // namespace

TDirectoryListBox::TDirectoryListBox(std::string name, TWinControl* parent, int left, int top, int width,
                                     int height, Os& os)
    : TListControl(std::move(name), parent, left, top, width, height),
      os_(os),
      folderPath_(os.GetCurrentDirectory()) {}

void TDirectoryListBox::CreateWindowHandle() {
  if (hasWindow_) return;
  hasWindow_ = true;
  // Every folder change rebuilds the items, so items built already are
  // those of the current folder: the window only selects its item. Reading
  // a folder of 100,000 files once more would cost as much as the rest of
  // the start-up.
  if (!built_) {
    RebuildItems();
    return;
  }
  selected_ = currentIndex_;
  Notify(ControlChange::Content);
}

void TDirectoryListBox::EnsureWindow() {
  CreateWindowHandle();
}

bool TDirectoryListBox::SameFolder(const std::string& a, const std::string& b) {
  return caseSensitive_ ? os_.CompareTextCaseSensitive(a, b) == 0 : SameFileName(os_, a, b);
}

void TDirectoryListBox::SetFolderPath(const std::string& path) {
  if (path.empty() || SameFolder(path, folderPath_)) return;
  // A drive without a medium is refused, not asked for.
  QuietCriticalErrors quiet(os_);
  const ResolvedPath resolved = ResolvePathText(os_, path);
  const bool sameDrive = folderPath_.empty()
                             ? !resolved.drive.has_value()
                             : resolved.drive.has_value() && *resolved.drive == folderPath_[0];
  if (!sameDrive) {
    // One rebuild at the end, not one for the drive and one for the folder.
    settingFolder_ = true;
    try {
      ChangeDrive(resolved.drive);
    } catch (...) {
      settingFolder_ = false;
      throw;
    }
    settingFolder_ = false;
  }
  // Standing in the list's own folder first puts the process on the right
  // drive for a folder part such as "\Pictures".
  if (DirectoryExists(os_, folderPath_)) ChangeDirectory(os_, folderPath_);
  ChangeDirectory(os_, resolved.folder);
  folderPath_ = os_.GetCurrentDirectory();
  RebuildItems();
  Changed();
}

void TDirectoryListBox::ChangeDrive(std::optional<char> drive) {
  if (drive && os_.UpperCase(std::string(1, *drive)) == os_.UpperCase(std::string(1, DriveLetter()))) return;
  if (drive) {
    ChangeDirectory(os_, std::string(1, *drive) + ":");
    folderPath_ = os_.GetCurrentDirectory();
  }
  if (!settingFolder_) {
    RebuildItems();
    Changed();
  }
}

void TDirectoryListBox::RebuildItems() {
  items_.clear();
  const std::string root = DrivePart(folderPath_) + "\\";
  if (const auto volume = os_.GetVolumeInformation(root)) {
    caseSensitive_ = (volume.value.flags & volflag::kCaseSensitive) != 0;
    preserveCase_ = caseSensitive_ || (volume.value.flags & volflag::kCasePreserved) != 0;
  } else {
    // Unknown volumes are taken as the common case: names kept as stored.
    caseSensitive_ = false;
    preserveCase_ = true;
  }

  int level = 0;
  std::string rest = folderPath_;
  if (root.size() > 1 && root[1] == '\\') {
    items_.push_back({root, FolderItemKind::OnTheWay});
    level = 1;
    rest = folderPath_.size() > root.size() ? folderPath_.substr(root.size()) : std::string();
  }
  if (!rest.empty()) {
    if (rest.back() != '\\') {
      for (auto separator = rest.find('\\'); separator != std::string::npos; separator = rest.find('\\')) {
        std::string part = rest.substr(0, separator);
        if (level == 0) part += '\\';
        rest.erase(0, separator + 1);
        items_.push_back({std::move(part), FolderItemKind::OnTheWay});
        ++level;
      }
    }
    items_.push_back({rest, FolderItemKind::Current});
  }
  currentIndex_ = static_cast<int>(items_.size()) - 1;

  // The subfolders, sorted, without hidden or system ones, "." and "..", and
  // without a second name that compares equal to one already taken.
  struct Keyed {
    std::string key;
    std::string name;
  };
  std::vector<Keyed> names;
  const auto listed = [](std::uint32_t attributes) {
    return (attributes & attr::kDirectory) &&
           !(attributes & (attr::kHidden | attr::kSystem | attr::kVolumeId));
  };
  // Listed wide, so that the start-up's one reading of the picture folder
  // serves here too; the names are shown in ANSI, as the folder's path is
  // kept. Where a name has no exact ANSI spelling, the ANSI listing itself
  // gives the names as the platform shows them ("?" for what is missing).
  const std::string pattern = JoinPath(folderPath_, "*.*");
  bool spelled = true;
  os_.VisitFilesWideShared(os_.AnsiToWide(pattern), [&](const FoundEntry& entry) {
    if (!spelled || !listed(entry.attributes) || entry.name == L"." || entry.name == L"..") return;
    auto name = os_.WideToAnsi(std::wstring(entry.name));
    if (!name) {
      spelled = false;
      return;
    }
    names.push_back({os_.SortKeyIgnoreCase(*name), std::move(*name)});
  });
  if (!spelled) {
    names.clear();
    for (const DirEntry& entry : os_.FindFiles(pattern).value) {
      if (!listed(entry.attributes) || entry.name == "." || entry.name == "..") continue;
      names.push_back({os_.SortKeyIgnoreCase(entry.name), entry.name});
    }
  }
  std::stable_sort(names.begin(), names.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
  names.erase(
      std::unique(names.begin(), names.end(), [](const Keyed& a, const Keyed& b) { return a.key == b.key; }),
      names.end());
  for (Keyed& keyed : names)
    items_.push_back({std::move(keyed.name), FolderItemKind::Subfolder});

  built_ = true;
  if (hasWindow_) selected_ = currentIndex_;
  Notify(ControlChange::Content);
}

std::string TDirectoryListBox::ItemFolderPath(int index) {
  if (index >= ItemCount()) return {};
  const FolderItem& item = Item(index);
  const std::string drive = DrivePart(folderPath_);
  if (index == 0) return drive + "\\";
  switch (item.kind) {
    case FolderItemKind::Subfolder:
      return JoinPath(folderPath_, item.text);
    case FolderItemKind::Current:
      return folderPath_;
    case FolderItemKind::OnTheWay:
      break;
  }
  // Everything before the (index + 1)-th backslash after the drive part.
  const std::string rest = folderPath_.substr(drive.size());
  std::string::size_type position = std::string::npos;
  for (int count = 0; count <= index; ++count) {
    position = rest.find('\\', position == std::string::npos ? 0 : position + 1);
    if (position == std::string::npos) return drive + rest;
  }
  return drive + rest.substr(0, position);
}

void TDirectoryListBox::OpenSelected() {
  const int selected = SelectedIndex();
  if (selected < 0) return;
  SetFolderPath(ItemFolderPath(selected));
}

int TDirectoryListBox::ItemCount() {
  EnsureWindow();
  return static_cast<int>(items_.size());
}

const FolderItem& TDirectoryListBox::Item(int index) {
  EnsureWindow();
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)];
}

int TDirectoryListBox::SelectedIndex() {
  EnsureWindow();
  return selected_;
}

void TDirectoryListBox::SetSelectedIndex(int index) {
  EnsureWindow();
  selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  Notify(ControlChange::Content);
}

int TDirectoryListBox::ItemIndent(int index) {
  const FolderItem& item = Item(index);
  const int depth = item.kind == FolderItemKind::Subfolder ? currentIndex_ + 1 : index;
  return depth * 4 + 2;
}

ListItemView TDirectoryListBox::ItemView(int index) {
  // The glyphs are 16 pixels wide; the text follows 4 pixels after.
  constexpr int kGlyphWidth = 16;
  const char* glyph = skin::kClosedFolder;
  if (Item(index).kind == FolderItemKind::OnTheWay) glyph = skin::kOpenFolder;
  if (Item(index).kind == FolderItemKind::Current) glyph = skin::kCurrentFolder;
  const int indent = ItemIndent(index);
  return {ItemDisplayText(index), glyph, indent, kGlyphWidth + indent + 4};
}

std::string TDirectoryListBox::ItemDisplayText(int index) {
  const FolderItem& item = Item(index);
  return preserveCase_ || caseSensitive_ ? item.text : os_.LowerCase(item.text);
}

bool TDirectoryListBox::KeyPress(char key) {
  EnsureWindow();
  const std::uint32_t now = os_.GetTickCount();
  if (lastKeyTick_ && now - *lastKeyTick_ > kSearchResetMs) searchText_.clear();
  lastKeyTick_ = now;

  if (key == kBackspace) {
    if (!searchText_.empty()) searchText_.pop_back();
  } else {
    searchText_ += key;
  }

  if (searchText_.empty()) {
    SetSelectedIndex(0);
    if (OnClick) OnClick();
  } else {
    for (int index = 0; index < static_cast<int>(items_.size()); ++index) {
      const std::string& text = items_[static_cast<std::size_t>(index)].text;
      if (text.size() >= searchText_.size() &&
          os_.CompareTextIgnoreCase(text.substr(0, searchText_.size()), searchText_) == 0) {
        SetSelectedIndex(index);
        if (OnClick) OnClick();
        break;
      }
    }
  }
  return key != kBackspace && key != kEnter && key != kEscape;
}

}  // namespace pix
