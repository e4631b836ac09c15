// The folder list, the picture folder and the drive list on what only the in-memory machine can stage: drives
// of every type, drives without a medium, network shares, volumes that keep no letter case, and a clock under
// the test's control.
#include <gtest/gtest.h>

#include <algorithm>

#include "components/ScreenPointer.h"
#include "core/DriveList.h"
#include "core/PictureFolder.h"
#include "settings/Errors.h"
#include "support/Checks.h"
#include "support/memory/MemoryOs.h"
#include "widgets/DirectoryListBox.h"

namespace pix::test {
namespace {

// a: removable without a medium, c: fixed "SYSTEM", d: optical without a
// disc, z: the network share \\server\pics.
class FourDrives : public ::testing::Test {
 protected:
  void SetUp() override {
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
  MemoryOs os;
};
using DriveListTest = FourDrives;
using FolderListMemoryTest = FourDrives;

std::vector<std::string> Items(DriveList& list) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i)
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

TEST_F(DriveListTest, ItemTextsAndTheStartingDrive) {
  DriveList drives(os);
  EXPECT_EQ(Items(drives), (std::vector<std::string>{"a:", "c: [system]", "d: []", "z: \\\\server\\pics"}));
  EXPECT_EQ(drives.Text(), "c: [system]") << "the drive of the current directory is selected";
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u) << "no drive asked for a medium";
}

TEST_F(DriveListTest, DrivesOfUnknownTypeGetNoItem) {
  MemoryOs bare;
  bare.AddDrive('c', DriveType::Fixed, "SYSTEM");
  bare.AddDrive('e', DriveType::Unknown);
  bare.AddDrive('r', DriveType::RamDisk, "Scratch");
  DriveList drives(bare);
  EXPECT_EQ(Items(drives), (std::vector<std::string>{"c: [system]", "r: [scratch]"}));
}

TEST_F(DriveListTest, TheDrivesAreAskedOnlyAtTheirFirstUse) {
  DriveList drives(os);
  // The current directory moves on; the list still starts on its drive.
  ASSERT_EQ(os.SetCurrentDirectory("Z:\\summer"), oserr::kSuccess);
  os.AddDrive('e', DriveType::Fixed, "DATA");
  EXPECT_EQ(drives.Text(), "c: [system]");
  EXPECT_EQ(drives.Count(), 5) << "built at the first use";
  os.AddDrive('f', DriveType::Fixed, "LATE");
  EXPECT_EQ(drives.Count(), 5) << "and only once";
}

TEST_F(DriveListTest, SelectionOutsideTheItemsSelectsNone) {
  DriveList drives(os);
  for (const int index : {-1, 4, 99}) {
    drives.Select(index);
    EXPECT_EQ(drives.SelectedIndex(), -1) << index;
    EXPECT_EQ(drives.Text(), "");
  }
  drives.Select(3);
  EXPECT_EQ(drives.Text(), "z: \\\\server\\pics");
  EXPECT_THROW(drives.Item(4), EStringListError);
}

TEST_F(DriveListTest, VolumeQueriesRunWithCriticalErrorsOffAndRestoreTheMode) {
  os.SetErrorMode(0x8000);
  DriveList drives(os);
  EXPECT_EQ(drives.Item(2), "d: []");  // not ready: the query fails
  EXPECT_EQ(os.ErrorMode(), 0x8000u);
  const auto& log = os.ErrorModeLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 2], kSemFailCriticalErrors);
  EXPECT_EQ(log[log.size() - 1], 0x8000u);
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u);
}

TEST_F(DriveListTest, NetworkShareFallsBackToTheVolumeLabel) {
  os.SetConnectionError('z', 1222);
  DriveList drives(os);
  EXPECT_EQ(drives.Item(3), "z: [pics]");
}

TEST_F(DriveListTest, MovingToTheNextDriveTriesEachColonOfItsText) {
  DriveList drives(os);
  std::vector<std::string> attempts;
  std::vector<std::string> refused = {"d:\\", "a:\\"};
  const auto enter = [&](const std::string& root) {
    attempts.push_back(root);
    return std::find(refused.begin(), refused.end(), root) == refused.end();
  };
  const std::vector<std::pair<std::string, std::vector<std::string>>> presses = {
      {"d: []", {"d:\\"}},                // refused: the text has no second ":"
      {"z: \\\\server\\pics", {"z:\\"}},  // taken: the scan ends
      {"a:", {"a:\\"}},                   // from the last item to the first
      {"c: [system]", {"c:\\"}},
  };
  for (const auto& [item, tried] : presses) {
    SCOPED_TRACE(item);
    attempts.clear();
    MoveToNextDrive(drives, enter);
    EXPECT_EQ(drives.Text(), item);
    EXPECT_EQ(attempts, tried);
  }
  // Every further ":" after a refused root is an attempt with all gathered so far.
  os.AddShare("\\\\h:st\\s:h");
  os.AddNetworkDrive('y', "\\\\h:st\\s:h");
  DriveList odd(os);
  refused = {"y:\\", "y:\\:: \\\\h:\\"};
  odd.Select(2);  // d:, the item before y:
  attempts.clear();
  MoveToNextDrive(odd, enter);
  EXPECT_EQ(odd.Text(), "y: \\\\h:st\\s:h");
  EXPECT_EQ(attempts, (std::vector<std::string>{"y:\\", "y:\\:: \\\\h:\\", "y:\\:: \\\\h:\\::st\\s:\\"}));
}

TEST_F(FolderListMemoryTest, AnotherDriveGoesThroughItsRememberedFolderWithOneRebuild) {
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

TEST_F(FolderListMemoryTest, DriveFailuresLeaveTheListAsItWas) {
  TDirectoryListBox list(os);
  const std::vector<std::string> before = Items(list);
  for (const char* path : {"d:\\", "a:\\", "q:\\"}) {
    SCOPED_TRACE(path);
    EXPECT_THROW(list.SetFolderPath(path), EInOutError);
    EXPECT_EQ(list.FolderPath(), "C:\\Tools");
    EXPECT_EQ(Items(list), before);
  }
  ExpectInOutError([&] { list.SetFolderPath("d:\\"); }, oserr::kNotReady, "I/O error 21");

  // The root of the drive it stands on, in lower case: it stays on the drive.
  list.SetFolderPath("c:\\");
  EXPECT_EQ(list.Item(0).text.substr(1), ":\\");
  EXPECT_EQ(list.ItemCount(), 2);  // the root, then Tools
  EXPECT_EQ(list.CurrentIndex(), 0);
}

TEST_F(FolderListMemoryTest, NetworkPaths) {
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

TEST_F(FolderListMemoryTest, NamesAreDrawnLowerCasedWhereTheVolumeKeepsNoCase) {
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

TEST_F(FolderListMemoryTest, TypingFindsItemsAndStartsAgainAfterAPause) {
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
    PointerBusyIndicator busy(pointer);
    PictureFolder list(os, &busy);
    list.SetMask("*.jpg");
    list.SetFolderPath("C:\\Pics");
    EXPECT_EQ(list.Count(), c.pictures);
    EXPECT_EQ(pointer.Log(), c.log);
  }
}

TEST(PictureListMemoryTest, PicturesInADriveRootAndFolderEntries) {
  MemoryOs os;
  os.AddDrive('c', DriveType::Fixed);
  os.WriteFileContents("C:\\a.jpg", "");
  os.WriteFileContents("C:\\setup.EXE", "");
  os.MakeDirectory("C:\\folder");
  PictureFolder list(os);
  list.SetFolderPath("C:\\");
  list.SetTypes({FileType::Normal, FileType::Directory});
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Name(0), L"[folder]");
  list.Select(1);
  EXPECT_EQ(list.SelectedFilePath(), L"C:\\a.jpg");
}

}  // namespace
}  // namespace pix::test
