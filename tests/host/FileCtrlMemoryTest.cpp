// The file widgets on what only the in-memory machine can stage: drives of
// every type, drives without a medium, network shares, volumes that keep no
// letter case, and a clock under the test's control.
#include <gtest/gtest.h>

#include "filectrl/FileCtrl.h"
#include "platform/memory/MemoryOs.h"
#include "settings/Errors.h"

namespace pix::test {
namespace {

// a: removable without a medium, c: fixed "SYSTEM", d: optical without a
// disc, z: the network share \\server\pics.
void StageFourDrives(MemoryOs& os) {
  os.AddDrive('a', DriveType::Removable);
  os.SetDriveReady('a', false);
  os.AddDrive('c', DriveType::Fixed, "SYSTEM");
  os.AddDrive('d', DriveType::CdRom);
  os.SetDriveReady('d', false);
  os.AddShare("\\\\server\\pics", "PICS");
  os.AddNetworkDrive('z', "\\\\server\\pics");
  os.MakeDirectory("C:\\Tools");
  os.MakeDirectory("Z:\\summer");
  ASSERT_EQ(os.SetCurrentDirectory("C:\\Tools"), oserr::kSuccess);
}

std::vector<std::string> Items(TDriveComboBox& list) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list.ItemCount()));
  for (int i = 0; i < list.ItemCount(); ++i)
    items.push_back(list.Item(i));
  return items;
}

std::vector<std::string> Items(TDirectoryListBox& list) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list.ItemCount()));
  for (int i = 0; i < list.ItemCount(); ++i)
    items.push_back(list.Item(i).text);
  return items;
}

TEST(DriveListTest, ItemTextsInBothLetterCases) {
  MemoryOs os;
  StageFourDrives(os);
  struct Case {
    TTextCase textCase;
    std::vector<std::string> items;
  };
  const std::vector<Case> cases = {
      {TTextCase::tcLowerCase, {"a:", "c: [system]", "d: []", "z: \\\\server\\pics"}},
      {TTextCase::tcUpperCase, {"A:", "C: [SYSTEM]", "D: []", "Z: \\\\SERVER\\PICS"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.textCase));
    TDriveComboBox drives(os);
    drives.SetTextCase(c.textCase);
    EXPECT_EQ(Items(drives), c.items);
    EXPECT_EQ(drives.ItemGlyph(0), DriveGlyph::Floppy);
    EXPECT_EQ(drives.ItemGlyph(3), DriveGlyph::Network);
    EXPECT_EQ(drives.Text(), c.items[1]) << "the drive of the current directory is selected";
  }
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u) << "no drive asked for a medium";
}

TEST(DriveListTest, DrivesOfUnknownTypeGetNoItem) {
  MemoryOs os;
  os.AddDrive('c', DriveType::Fixed, "SYSTEM");
  os.AddDrive('e', DriveType::Unknown);
  os.AddDrive('r', DriveType::RamDisk, "Scratch");
  TDriveComboBox drives(os);
  EXPECT_EQ(Items(drives), (std::vector<std::string>{"c: [system]", "r: [scratch]"}));
  EXPECT_EQ(drives.ItemGlyph(1), DriveGlyph::Ram);
}

TEST(DriveListTest, SelectionAndDriveLetter) {
  MemoryOs os;
  StageFourDrives(os);
  TDriveComboBox drives(os);
  ASSERT_EQ(drives.SelectedIndex(), 1);
  EXPECT_EQ(drives.DriveLetter(), 'c') << "in the list's letter case";

  drives.SetSelectedIndex(-1);
  EXPECT_EQ(drives.Text(), "");
  drives.SetSelectedIndex(drives.ItemCount());
  EXPECT_EQ(drives.SelectedIndex(), -1);

  // Writing the index leaves the drive letter alone; writing the same letter
  // afterwards does nothing, since an item is selected.
  drives.SetSelectedIndex(3);
  EXPECT_EQ(drives.DriveLetter(), 'c');
  int changes = 0;
  drives.OnChange = [&] { ++changes; };
  drives.SetDriveLetter('c');
  EXPECT_EQ(drives.SelectedIndex(), 3);
  EXPECT_EQ(changes, 0);

  // Another letter selects its item and is stored in the list's letter case.
  drives.SetDriveLetter('A');
  EXPECT_EQ(drives.DriveLetter(), 'a');
  EXPECT_EQ(drives.Text(), "a:");
  EXPECT_EQ(changes, 1);

  // A letter without an item keeps the selection.
  drives.SetDriveLetter('q');
  EXPECT_EQ(drives.Text(), "a:");
  drives.SetDriveLetter(std::nullopt);
  EXPECT_EQ(drives.SelectedIndex(), -1);
}

TEST(DriveListTest, VolumeQueriesRunWithCriticalErrorsOffAndRestoreTheMode) {
  MemoryOs os;
  StageFourDrives(os);
  os.SetErrorMode(0x8000);
  TDriveComboBox drives(os);
  EXPECT_EQ(drives.VolumeLabelText('d'), "[]");  // not ready: the query fails
  EXPECT_EQ(drives.VolumeLabelText('C'), "[SYSTEM]");
  EXPECT_EQ(os.ErrorMode(), 0x8000u);
  const auto& log = os.ErrorModeLog();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[log.size() - 4], kSemFailCriticalErrors);
  EXPECT_EQ(log[log.size() - 3], 0x8000u);
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u);
}

TEST(DriveListTest, NetworkShareFallsBackToTheVolumeLabel) {
  MemoryOs os;
  StageFourDrives(os);
  TDriveComboBox drives(os);
  EXPECT_EQ(drives.NetworkShareText('z'), "\\\\server\\pics");
  EXPECT_EQ(drives.NetworkShareText('Z'), "\\\\SERVER\\PICS");
  os.SetConnectionError('z', 1222);
  EXPECT_EQ(drives.NetworkShareText('z'), "[pics]");
}

TEST(FolderListMemoryTest, AnotherDriveGoesThroughItsRememberedFolderWithOneRebuild) {
  MemoryOs os;
  StageFourDrives(os);
  os.AddDrive('e', DriveType::Fixed, "DATA");
  os.MakeDirectory("E:\\Photos\\Old");
  os.MakeDirectory("E:\\Work");
  os.SetRememberedDirectory('e', "E:\\Work");
  TDirectoryListBox list(os);
  ASSERT_EQ(list.ItemCount(), 2);  // C:\, Tools
  int changes = 0;
  list.OnChange = [&] { ++changes; };

  list.SetFolderPath("E:\\Photos");
  EXPECT_EQ(list.FolderPath(), "E:\\Photos");
  EXPECT_EQ(Items(list), (std::vector<std::string>{"E:\\", "Photos", "Old"}));
  EXPECT_EQ(changes, 1);

  // A relative folder part lands on the drive of the list.
  list.SetFolderPath("\\Work");
  EXPECT_EQ(list.FolderPath(), "E:\\Work");
}

TEST(FolderListMemoryTest, DriveFailuresLeaveTheListAsItWas) {
  MemoryOs os;
  StageFourDrives(os);
  TDirectoryListBox list(os);
  const std::vector<std::string> before = Items(list);
  for (const char* path : {"d:\\", "a:\\", "q:\\"}) {
    SCOPED_TRACE(path);
    EXPECT_THROW(list.SetFolderPath(path), EInOutError);
    EXPECT_EQ(list.FolderPath(), "C:\\Tools");
    EXPECT_EQ(Items(list), before);
  }
  try {
    list.SetFolderPath("d:\\");
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), oserr::kNotReady);
    EXPECT_EQ(error.Message(), "I/O error 21");
  }

  // The root of the drive it stands on, in lower case: it stays on the drive.
  list.SetFolderPath("c:\\");
  EXPECT_EQ(list.Item(0).text.substr(1), ":\\");
  EXPECT_EQ(list.ItemCount(), 2);  // the root, then Tools
  EXPECT_EQ(list.CurrentIndex(), 0);
}

TEST(FolderListMemoryTest, NetworkPaths) {
  MemoryOs os;
  StageFourDrives(os);
  os.MakeDirectory("\\\\server\\pics\\summer\\beach\\rocks");
  TDirectoryListBox list(os);
  list.SetFolderPath("\\\\server\\pics\\summer\\beach");
  EXPECT_EQ(Items(list), (std::vector<std::string>{"\\\\server\\pics\\", "summer", "beach", "rocks"}));
  EXPECT_EQ(list.ItemFolderPath(0), "\\\\server\\pics\\");
  EXPECT_EQ(list.ItemFolderPath(1), "\\\\server\\pics\\summer");
  EXPECT_EQ(list.ItemFolderPath(3), "\\\\server\\pics\\summer\\beach\\rocks");
  EXPECT_EQ(list.ItemIndent(0), 2);
  EXPECT_EQ(list.ItemIndent(2), 10);
  EXPECT_EQ(list.ItemIndent(3), 14);
}

TEST(FolderListMemoryTest, NamesAreDrawnLowerCasedWhereTheVolumeKeepsNoCase) {
  MemoryOs os;
  StageFourDrives(os);
  os.AddDrive('f', DriveType::Removable, "", 0);
  os.MakeDirectory("F:\\DCIM\\CAMERA");
  TDirectoryListBox list(os);
  list.SetFolderPath("F:\\DCIM");
  EXPECT_FALSE(list.PreservesCase());
  EXPECT_EQ(list.ItemDisplayText(1), "dcim");
  EXPECT_EQ(list.ItemDisplayText(2), "camera");
  EXPECT_EQ(list.Item(2).text, "CAMERA") << "stored as the volume gave it";

  list.SetFolderPath("C:\\Tools");
  EXPECT_TRUE(list.PreservesCase());
  EXPECT_EQ(list.ItemDisplayText(1), "Tools");
}

TEST(FolderListMemoryTest, TypingFindsItemsAndStartsAgainAfterAPause) {
  MemoryOs os;
  StageFourDrives(os);
  for (const char* name : {"Beach", "Berlin", "bikes", "City"})
    os.MakeDirectory(std::string("C:\\Tools\\") + name);
  TDirectoryListBox list(os);
  ASSERT_EQ(Items(list), (std::vector<std::string>{"C:\\", "Tools", "Beach", "Berlin", "bikes", "City"}));
  int clicks = 0;
  list.OnClick = [&] { ++clicks; };

  struct Step {
    char key;
    std::uint32_t pauseMs;
    int selected;
    bool consumed;
  };
  const std::vector<Step> steps = {
      {'b', 0, 2, true},    // Beach
      {'i', 100, 4, true},  // "bi": bikes
      {'x', 100, 4, true},  // "bix": no match, the selection stays
      {8, 100, 4, false},   // Backspace: "bi" again, passed on
      {'e', 499, 4, true},  // "bie": no match
      {'c', 500, 0, true},  // a pause of 500 ms starts again: "c" finds C:\ first
      {'i', 100, 5, true},  // "ci": City
      {8, 600, 0, false},   // Backspace on a fresh, empty search: the first item
      {27, 600, 0, false},  // Esc goes on to its usual handling
      {13, 100, 0, false},  // so does Enter
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    os.Advance(steps[i].pauseMs);
    EXPECT_EQ(list.KeyPress(steps[i].key), steps[i].consumed);
    EXPECT_EQ(list.SelectedIndex(), steps[i].selected);
  }
  EXPECT_EQ(clicks, 6);  // b, i, Backspace, c, i, Backspace
  EXPECT_EQ(list.FolderPath(), "C:\\Tools") << "typing never moves the list";
}

class RecordingPointer final : public ScreenPointer {
 public:
  PointerShape Shape() const override { return shape_; }
  void SetShape(PointerShape shape) override {
    shape_ = shape;
    log_.push_back(shape);
  }
  const std::vector<PointerShape>& Log() const { return log_; }

 private:
  PointerShape shape_ = PointerShape::Default;
  std::vector<PointerShape> log_;
};

TEST(PictureListMemoryTest, LongListingsShowTheHourglassUntilTheReloadEnds) {
  struct Case {
    int pictures;
    std::vector<PointerShape> log;
  };
  const std::vector<Case> cases = {
      {100, {}},
      {101, {PointerShape::HourGlass, PointerShape::Default}},
      {2000, {PointerShape::HourGlass, PointerShape::Default}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pictures);
    MemoryOs os;
    os.AddDrive('c', DriveType::Fixed);
    for (int i = 0; i < c.pictures; ++i)
      os.WriteFileContents("C:\\Pics\\p" + std::to_string(i) + ".jpg", "");
    RecordingPointer pointer;
    TFileListBox list(os, &pointer);
    list.SetMask("*.jpg");
    list.SetFolderPath("C:\\Pics");
    EXPECT_EQ(list.ItemCount(), c.pictures);
    EXPECT_EQ(pointer.Log(), c.log);
  }
}

TEST(PictureListMemoryTest, PicturesInADriveRootAndGlyphs) {
  MemoryOs os;
  os.AddDrive('c', DriveType::Fixed);
  os.WriteFileContents("C:\\a.jpg", "");
  os.WriteFileContents("C:\\setup.EXE", "");
  os.MakeDirectory("C:\\folder");
  TFileListBox list(os);
  list.SetFolderPath("C:\\");
  list.SetFileType({TFileType::ftNormal, TFileType::ftDirectory});
  list.SetShowGlyphs(true);
  list.ReloadItems();
  ASSERT_EQ(list.ItemCount(), 3);
  EXPECT_EQ(list.Item(0), "[folder]");
  EXPECT_EQ(list.ItemGlyph(0), FileGlyph::ClosedFolder);
  EXPECT_EQ(list.ItemGlyph(1), FileGlyph::UnknownFile);
  EXPECT_EQ(list.ItemGlyph(2), FileGlyph::Executable);
  EXPECT_EQ(list.ItemHeight(), 16);
  list.SetSelectedIndex(1);
  EXPECT_EQ(list.SelectedFilePath(), "C:\\a.jpg");
}

}  // namespace
}  // namespace pix::test
