#include "filectrl/DriveComboBox.h"

#include "filectrl/PathRules.h"
#include "settings/Errors.h"

namespace pix {

namespace {
bool IsLowerLetter(char letter) {
  return static_cast<unsigned char>(letter) >= 'a';
}
}  // namespace

TDriveComboBox::TDriveComboBox(std::string name, TWinControl* parent, int left, int top, int width,
                               int height, Os& os)
    : TWinControl(std::move(name), parent, left, top, width, height), os_(os) {
  const std::string current = os.GetCurrentDirectory();
  if (!current.empty() && current[0] != '\\') driveLetter_ = current[0];
}

void TDriveComboBox::CreateWindowHandle() {
  if (hasWindow_) return;
  hasWindow_ = true;
  RebuildItems();
  // Selects the item of the drive the list stands on.
  SetDriveLetter(driveLetter_);
}

std::string TDriveComboBox::CaseLike(char letter, const std::string& text) {
  return IsLowerLetter(letter) ? os_.LowerCase(text) : os_.UpperCase(text);
}

std::string TDriveComboBox::VolumeLabelText(char letter) {
  std::string label;
  {
    QuietCriticalErrors quiet(os_);
    if (auto volume = os_.GetVolumeInformation(std::string(1, letter) + ":\\"))
      label = std::move(volume.value.label);
  }
  return "[" + CaseLike(letter, label) + "]";
}

std::string TDriveComboBox::NetworkShareText(char letter) {
  const auto remote = os_.GetNetworkConnection(os_.UpperCase(std::string(1, letter)) + ":");
  if (!remote) return VolumeLabelText(letter);
  return CaseLike(letter, remote.value);
}

void TDriveComboBox::RebuildItems() {
  items_.clear();
  selected_ = -1;
  const std::uint32_t drives = os_.GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(drives & (1u << bit))) continue;
    char letter = static_cast<char>('a' + bit);
    const DriveType type = os_.GetDriveType(std::string(1, letter) + ":\\");
    if (textCase_ == TTextCase::tcUpperCase) letter = static_cast<char>('A' + bit);
    const std::string name = std::string(1, letter) + ":";
    switch (type) {
      case DriveType::Removable:
        // Not touched: a drive without a medium costs no delay.
        items_.push_back({name, DriveGlyph::Floppy});
        break;
      case DriveType::Fixed:
        items_.push_back({name + " " + VolumeLabelText(letter), DriveGlyph::Hard});
        break;
      case DriveType::Remote:
        items_.push_back({name + " " + NetworkShareText(letter), DriveGlyph::Network});
        break;
      case DriveType::CdRom:
        items_.push_back({name + " " + VolumeLabelText(letter), DriveGlyph::CdRom});
        break;
      case DriveType::RamDisk:
        items_.push_back({name + " " + VolumeLabelText(letter), DriveGlyph::Ram});
        break;
      case DriveType::Unknown:
      case DriveType::NoRootDir:
        break;
    }
  }
}

int TDriveComboBox::ItemCount() {
  CreateWindowHandle();
  return static_cast<int>(items_.size());
}

const std::string& TDriveComboBox::Item(int index) {
  CreateWindowHandle();
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)].text;
}

DriveGlyph TDriveComboBox::ItemGlyph(int index) {
  Item(index);
  return items_[static_cast<std::size_t>(index)].glyph;
}

int TDriveComboBox::SelectedIndex() {
  CreateWindowHandle();
  return selected_;
}

void TDriveComboBox::SetSelectedIndex(int index) {
  CreateWindowHandle();
  selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  Notify(ControlChange::Content);
}

std::string TDriveComboBox::Text() {
  const int selected = SelectedIndex();
  return selected < 0 ? std::string() : items_[static_cast<std::size_t>(selected)].text;
}

void TDriveComboBox::SetDriveLetter(std::optional<char> drive) {
  if (selected_ >= 0 && drive && driveLetter_ &&
      os_.UpperCase(std::string(1, *drive)) == os_.UpperCase(std::string(1, *driveLetter_)))
    return;
  if (!drive) {
    driveLetter_.reset();
    selected_ = -1;
  } else {
    const std::string letter = std::string(1, *drive);
    driveLetter_ = (textCase_ == TTextCase::tcUpperCase ? os_.UpperCase(letter) : os_.LowerCase(letter))[0];
    for (int index = 0; index < static_cast<int>(items_.size()); ++index) {
      const std::string& text = items_[static_cast<std::size_t>(index)].text;
      if (text.size() >= 2 && text[1] == ':' &&
          os_.CompareTextIgnoreCase(text.substr(0, 1), std::string(1, *driveLetter_)) == 0) {
        selected_ = index;
        break;
      }
    }
  }
  Notify(ControlChange::Content);
  if (OnChange) OnChange();
}

void TDriveComboBox::SetTextCase(TTextCase textCase) {
  textCase_ = textCase;
  if (!hasWindow_) return;
  RebuildItems();
  SetDriveLetter(driveLetter_);
}

}  // namespace pix
