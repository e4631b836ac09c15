#include "core/PictureFolder.h"

#include <algorithm>
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
  selected_ = -1;
  BusyScope busy(busy_);

  // One enumeration per mask piece, then one sort: a file that matches two
  // pieces stays listed twice, side by side, in the order of the pieces.
  // The wide calls list every name as it is stored; the ANSI ones would
  // show "?" for each character the code page lacks, a name nothing opens.
  std::vector<std::wstring> collected;
  try {
    for (const std::string& piece : MaskPieces(mask_)) {
      for (WideDirEntry& entry : os_.FindFilesWide(os_.AnsiToWide(piece)).value) {
        if (entry.attributes & kFiltered & ~wanted) continue;
        if (!listNormal && (entry.attributes & wanted) == 0) continue;
        if (entry.attributes & attr::kDirectory)
          collected.push_back(L"[" + entry.name + L"]");
        else
          collected.push_back(std::move(entry.name));
        if (collected.size() > kBusyFromItem) busy.Show();
      }
    }
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Unable to insert a line");
  }

  // One locale sort key per name, not one locale comparison per pair. The
  // ANSI key is the wide key of the name's wide spelling, so the names the
  // code page spells keep the order they always had. The keys lie end to end in one buffer: 100,000 names
  // need no 100,000 small allocations, and the sort moves only indices.
  std::string keys;
  std::vector<std::uint32_t> keyEnds;
  keyEnds.reserve(collected.size());
  for (const std::wstring& name : collected) {
    keys += os_.SortKeyIgnoreCaseWide(name);
    keyEnds.push_back(static_cast<std::uint32_t>(keys.size()));
  }
  const auto keyOf = [&](std::uint32_t index) {
    const std::uint32_t begin = index == 0 ? 0 : keyEnds[index - 1];
    return std::string_view(keys).substr(begin, keyEnds[index] - begin);
  };
  std::vector<std::uint32_t> order(collected.size());
  for (std::uint32_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return keyOf(a) < keyOf(b); });
  names_.reserve(collected.size());
  for (const std::uint32_t index : order)
    names_.push_back(std::move(collected[index]));
}

int PictureFolder::Count() {
  EnsureListed();
  return static_cast<int>(names_.size());
}

const std::wstring& PictureFolder::Name(int index) {
  EnsureListed();
  if (index < 0 || index >= static_cast<int>(names_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return names_[static_cast<std::size_t>(index)];
}

int PictureFolder::SelectedIndex() {
  EnsureListed();
  return selected_;
}

void PictureFolder::Select(int index) {
  EnsureListed();
  selected_ = index >= 0 && index < static_cast<int>(names_.size()) ? index : -1;
}

std::wstring PictureFolder::SelectedFileName() {
  // Nothing is selected before the first listing: no need to list for it.
  return selected_ < 0 ? std::wstring() : names_[static_cast<std::size_t>(selected_)];
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
  const int count = static_cast<int>(names_.size());
  selected_ = -1;
  // The search starts at the second entry and wraps round to the first. A
  // name the code page cannot spell is not the one asked for.
  for (int step = 0; step < count; ++step) {
    const int index = (step + 1) % count;
    const auto ansi = os_.WideToAnsi(names_[static_cast<std::size_t>(index)]);
    if (ansi && os_.CompareTextIgnoreCase(*ansi, name) == 0) {
      selected_ = index;
      break;
    }
  }
}

}  // namespace pix
