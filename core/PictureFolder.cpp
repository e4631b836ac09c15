#include "core/PictureFolder.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "core/PathRules.h"
#include "settings/Errors.h"

namespace pix {

std::uint32_t FileTypes::AttributeMask() const {
  std::uint32_t mask = 0;
  if (Contains(FileType::ReadOnly)) mask |= attr::kReadOnly;
  if (Contains(FileType::Hidden)) mask |= attr::kHidden;
  if (Contains(FileType::System)) mask |= attr::kSystem;
  if (Contains(FileType::VolumeId)) mask |= attr::kVolumeId;
  if (Contains(FileType::Directory)) mask |= attr::kDirectory;
  if (Contains(FileType::Archive)) mask |= attr::kArchive;
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

// Shows the hourglass from the moment a listing grows long until it ends.
class BusyScope {
 public:
  explicit BusyScope(BusyIndicator* busy) : busy_(busy) {}
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() {
    if (shown_) busy_->EndBusy();
  }
  void Show() {
    if (!busy_ || shown_) return;
    shown_ = true;
    busy_->BeginBusy();
  }

 private:
  BusyIndicator* busy_;  // not owned; may be null
  bool shown_ = false;
};

}  // namespace

PictureFolder::PictureFolder(Os& os, BusyIndicator* busy)
    : os_(os), busy_(busy), folderPath_(os.GetCurrentDirectory()) {}

void PictureFolder::EnsureListed() {
  if (!listed_) Reload();
}

void PictureFolder::SetFolderPath(const std::string& path) {
  if (SameFileName(os_, path, folderPath_)) return;
  // A drive without a medium is refused, not asked for.
  QuietCriticalErrors quiet(os_);
  // A relative text is read against the folder's own path.
  if (DirectoryExists(os_, folderPath_)) ChangeDirectory(os_, folderPath_);
  ChangeDirectory(os_, path);
  folderPath_ = os_.GetCurrentDirectory();
  // Listed at once, while the folder is sure to be there: the countdown's
  // last step must find the pictures without touching the folder again.
  Reload();
}

void PictureFolder::SetMask(const std::string& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  if (listed_) Reload();
}

void PictureFolder::SetTypes(FileTypes types) {
  if (types == types_) return;
  types_ = types;
  if (listed_) Reload();
}

void PictureFolder::Reload() {
  const std::uint32_t wanted = types_.AttributeMask();
  const bool listNormal = types_.Contains(FileType::Normal);
  constexpr std::uint32_t kFiltered = attr::kHidden | attr::kSystem | attr::kVolumeId | attr::kDirectory;

  ChangeDirectory(os_, folderPath_);
  listed_ = true;
  names_.clear();
  std::vector<std::uint32_t>().swap(order_);
  selected_ = -1;
  BusyScope busy(busy_);

  // One enumeration per mask piece, then one sort: a file that matches two
  // pieces stays listed twice, side by side, in the order of the pieces.
  // The wide calls list every name as it is stored; the ANSI ones would
  // show "?" for each character the code page lacks, a name nothing opens.
  std::wstring folderName;
  try {
    for (const std::string& piece : MaskPieces(mask_)) {
      os_.VisitFilesWideShared(os_.AnsiToWide(piece), [&](const FoundEntry& entry) {
        if (entry.attributes & kFiltered & ~wanted) return;
        if (!listNormal && (entry.attributes & wanted) == 0) return;
        std::wstring_view name = entry.name;
        if (entry.attributes & attr::kDirectory) {
          folderName.assign(L"[").append(entry.name).append(L"]");
          name = folderName;
        }
        names_.Add(name);
        if (names_.size() > kBusyFromItem) busy.Show();
      });
    }
    // One locale sort key per name, not one locale comparison per pair,
    // taken once the platform's search has let go of what it read. The ANSI
    // key is the wide key of the name's wide spelling, so the names the code
    // page spells keep the order they always had.
    PackedStrings<char> keys;
    std::string key;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      key.clear();
      os_.AppendSortKeyIgnoreCaseWide(names_[i], key);
      keys.Add(key);
    }
    // The sort moves only indices.
    if (names_.size() > UINT32_MAX) throw std::bad_alloc();
    order_.resize(names_.size());
    for (std::uint32_t i = 0; i < order_.size(); ++i)
      order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
  } catch (const std::bad_alloc&) {
    names_.clear();
    std::vector<std::uint32_t>().swap(order_);
    throw EOutOfResources("Unable to insert a line");
  }
}

int PictureFolder::Count() {
  EnsureListed();
  return static_cast<int>(order_.size());
}

std::wstring PictureFolder::Name(int index) {
  EnsureListed();
  if (index < 0 || index >= static_cast<int>(order_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return std::wstring(NameAt(static_cast<std::size_t>(index)));
}

int PictureFolder::SelectedIndex() {
  EnsureListed();
  return selected_;
}

void PictureFolder::Select(int index) {
  EnsureListed();
  selected_ = index >= 0 && index < static_cast<int>(order_.size()) ? index : -1;
}

std::wstring PictureFolder::SelectedFileName() {
  // Nothing is selected before the first listing: no need to list for it.
  return selected_ < 0 ? std::wstring() : std::wstring(NameAt(static_cast<std::size_t>(selected_)));
}

std::wstring PictureFolder::SelectedFilePath() {
  const std::wstring name = SelectedFileName();
  if (name.empty()) return {};
  const std::wstring folder = os_.AnsiToWide(folderPath_);
  return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

std::string PictureFolder::SelectedAnsiName() {
  return os_.WideToAnsi(SelectedFileName()).value_or(std::string());
}

void PictureFolder::ApplyPath(const std::string& text) {
  if (text.empty()) return;
  const std::string selectedName = SelectedAnsiName();
  if (!selectedName.empty() && SameFileName(os_, text, JoinPath(folderPath_, selectedName))) return;
  QuietCriticalErrors quiet(os_);
  const ResolvedPath resolved = ResolvePathText(os_, text);
  SetFolderPath(resolved.drive ? std::string(1, *resolved.drive) + ":" + resolved.folder : resolved.folder);

  const std::string& file = resolved.file;
  if (file.find_first_of("*?") != std::string::npos) {
    SetMask(file);
  } else if (!file.empty()) {
    SelectFileName(file);
    if (!FileExists(os_, file)) throw EInvalidOperation("Invalid file name - " + text);
    if (selected_ < 0) {
      // The file is there but the mask hides it: list it by its own name.
      SetMask(file);
      SelectFileName(file);
    }
  }
}

void PictureFolder::SelectFileName(const std::string& name) {
  const auto selected =
      selected_ >= 0 ? os_.WideToAnsi(SelectedFileName()) : std::optional<std::string>(std::string());
  if (selected && SameFileName(os_, name, *selected)) return;
  EnsureListed();
  const int count = static_cast<int>(order_.size());
  selected_ = -1;
  // The search starts at the second entry and wraps round to the first. A
  // name the code page cannot spell is not the one asked for.
  for (int step = 0; step < count; ++step) {
    const int index = (step + 1) % count;
    const auto ansi = os_.WideToAnsi(std::wstring(NameAt(static_cast<std::size_t>(index))));
    if (ansi && os_.CompareTextIgnoreCase(*ansi, name) == 0) {
      selected_ = index;
      break;
    }
  }
}

}  // namespace pix
