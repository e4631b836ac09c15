#include "core/DriveList.h"

#include "core/PathRules.h"
#include "settings/Errors.h"

namespace pix {

DriveList::DriveList(Os& os) : os_(os) {
  const std::string current = os_.GetCurrentDirectory();
  if (!current.empty() && current[0] != '\\') startDrive_ = current[0];
}

void DriveList::EnsureBuilt() {
  if (built_) return;
  built_ = true;
  const std::uint32_t drives = os_.GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(drives & (1u << bit))) continue;
    const char letter = static_cast<char>('a' + bit);
    const std::string name = std::string(1, letter) + ":";
    switch (os_.GetDriveType(name + "\\")) {
      case DriveType::Removable:
        // Not touched: a drive without a medium costs no delay.
        items_.push_back(name);
        break;
      case DriveType::Fixed:
      case DriveType::CdRom:
      case DriveType::RamDisk:
        items_.push_back(name + " " + VolumeLabelText(letter));
        break;
      case DriveType::Remote:
        items_.push_back(name + " " + NetworkShareText(letter));
        break;
      case DriveType::Unknown:
      case DriveType::NoRootDir:
        break;
    }
  }

  if (!startDrive_) return;
  for (int index = 0; index < Count(); ++index) {
    if (os_.CompareTextIgnoreCase(Item(index).substr(0, 1), std::string(1, *startDrive_)) == 0) {
      selected_ = index;
      break;
    }
  }
}

std::string DriveList::CaseLike(char letter, const std::string& text) {
  return static_cast<unsigned char>(letter) >= 'a' ? os_.LowerCase(text) : os_.UpperCase(text);
}

std::string DriveList::VolumeLabelText(char letter) {
  std::string label;
  {
    QuietCriticalErrors quiet(os_);
    if (auto volume = os_.GetVolumeInformation(std::string(1, letter) + ":\\"))
      label = std::move(volume.value.label);
  }
  return "[" + CaseLike(letter, label) + "]";
}

std::string DriveList::NetworkShareText(char letter) {
  const auto remote = os_.GetNetworkConnection(os_.UpperCase(std::string(1, letter)) + ":");
  if (!remote) return VolumeLabelText(letter);
  return CaseLike(letter, remote.value);
}

int DriveList::Count() {
  EnsureBuilt();
  return static_cast<int>(items_.size());
}

int DriveList::SelectedIndex() {
  EnsureBuilt();
  return selected_;
}

const std::string& DriveList::Item(int index) {
  if (index < 0 || index >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)];
}

void DriveList::Select(int index) {
  EnsureBuilt();
  selected_ = index >= 0 && index < Count() ? index : -1;
}

std::string DriveList::Text() {
  EnsureBuilt();
  return selected_ < 0 ? std::string() : items_[static_cast<std::size_t>(selected_)];
}

void MoveToNextDrive(DriveList& drives, const std::function<bool(const std::string& root)>& enterRoot) {
  if (drives.SelectedIndex() == drives.Count() - 1) drives.Select(-1);
  drives.Select(drives.SelectedIndex() + 1);
  // The drive letter stands before the item's first ":"; each ":" is an
  // attempt at the root gathered so far, and a failed one leaves "::" behind
  // so that a later ":" tries the longer text.
  const std::string item = drives.Text();
  std::string gathered;
  for (const char character : item) {
    if (character == ':') {
      gathered += ":\\";
      if (enterRoot(gathered)) return;
      gathered += character;
    }
    gathered += character;
  }
}

}  // namespace pix
