// The drive list: one item per drive of the machine, in letter order, with
// its volume label or network share. The program keeps it out of sight and
// uses it as its table of drives.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "shell/components/Controls.h"

namespace pix {

enum class TTextCase : std::uint8_t { tcLowerCase, tcUpperCase };
enum class DriveGlyph : std::uint8_t { Floppy, Hard, Network, CdRom, Ram };

class TDriveComboBox : public TWinControl {
 public:
  // The list stands on the drive of the process's current directory (none
  // on a network path) and builds its items when its window is made.
  TDriveComboBox(std::string name, TWinControl* parent, int left, int top, int width, int height, Os& os);
  // A list without a place in a window.
  explicit TDriveComboBox(Os& os) : TDriveComboBox("", nullptr, 0, 0, 145, 21, os) {}

  int ItemCount();
  const std::string& Item(int index);
  DriveGlyph ItemGlyph(int index);
  int SelectedIndex();
  // Changes the selection and nothing else.
  void SetSelectedIndex(int index);
  // The selected item's text, "" with none selected.
  std::string Text();

  std::optional<char> DriveLetter() const { return driveLetter_; }
  void SetDriveLetter(std::optional<char> drive);
  TTextCase TextCase() const { return textCase_; }
  void SetTextCase(TTextCase textCase);

  void RebuildItems();
  std::string VolumeLabelText(char letter);
  std::string NetworkShareText(char letter);

  bool HasWindow() const { return hasWindow_; }
  void CreateWindowHandle();

  std::function<void()> OnChange;

 private:
  struct DriveItem {
    std::string text;
    DriveGlyph glyph;
  };
  std::string CaseLike(char letter, const std::string& text);

  Os& os_;
  std::vector<DriveItem> items_;
  int selected_ = -1;
  std::optional<char> driveLetter_;
  TTextCase textCase_ = TTextCase::tcLowerCase;
  bool hasWindow_ = false;
};

}  // namespace pix
