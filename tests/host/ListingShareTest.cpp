// Enumerations shared while a listing share is open: the same entries as the
// platform's own enumeration, one reading of the folder, nothing kept after.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/PictureFolder.h"
#include "platform/memory/MemoryOs.h"
#include "tests/support/FaultyOs.h"
#include "widgets/DirectoryListBox.h"

namespace pix {
namespace {

std::vector<std::string> Names(const OsResult<std::vector<DirEntry>>& found) {
  std::vector<std::string> names;
  for (const auto& entry : found.value)
    names.push_back(entry.name + "/" + std::to_string(entry.attributes));
  return names;
}

class ListingShareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.AddDrive('C', DriveType::Fixed, "SYSTEM");
    machine.MakeDirectory("C:\\Pictures\\Sub.jpg");
    machine.MakeDirectory("C:\\Other");
    for (const char* name :
         {"a.jpg", "B.JPG", "c.jpeg", "d.jpg.txt", "photo.jpgx", "README", "e.png", "f.tiff"})
      machine.WriteFileContents(std::string("C:\\Pictures\\") + name, "x");
    machine.WriteFileContents("C:\\Other\\g.jpg", "x");
    machine.SetFileAttributes("C:\\Pictures\\B.JPG", attr::kHidden);
    machine.SetCurrentDirectory("C:\\Pictures");
  }
  MemoryOs machine;
  test::FaultyOs os{machine};
};

TEST_F(ListingShareTest, WithoutAShareEveryEnumerationGoesToThePlatform) {
  EXPECT_EQ(Names(os.FindFilesShared("C:\\Pictures\\*.*")), Names(machine.FindFiles("C:\\Pictures\\*.*")));
  EXPECT_EQ(Names(os.FindFilesShared("*.jpg")), Names(machine.FindFiles("*.jpg")));
  EXPECT_EQ(os.Enumerations(), 2);
}

TEST_F(ListingShareTest, SharedAnswersAreThePlatformsOwn) {
  const std::vector<std::string> patterns = {
      "*.jpg", "*.JPG", "*.*",  "*", "*.png", "C:\\Pictures\\*.jpg", "C:\\Pictures\\*.*",
      "*.jp",  "*.txt", "*.zzz"};
  for (const std::string& pattern : patterns) {
    const auto expected = machine.FindFiles(pattern);
    const ListingShare share(os);
    os.FindFilesShared("C:\\Pictures\\*.*");
    const auto shared = os.FindFilesShared(pattern);
    EXPECT_EQ(Names(shared), Names(expected)) << pattern;
    EXPECT_EQ(shared.error, expected.error) << pattern;
  }
}

TEST_F(ListingShareTest, OneFolderIsReadOnceForAllItsPlainMasks) {
  const ListingShare share(os);
  os.FindFilesShared("C:\\Pictures\\*.*");
  os.FindFilesShared("*.jpg");
  os.FindFilesShared("*.png");
  EXPECT_EQ(os.Enumerations(), 1);
  // Another folder is read on its own.
  EXPECT_EQ(Names(os.FindFilesShared("C:\\Other\\*.jpg")), Names(machine.FindFiles("C:\\Other\\*.jpg")));
  EXPECT_EQ(os.Enumerations(), 2);
}

TEST_F(ListingShareTest, OtherMasksAndRelativeFoldersAreLeftToThePlatform) {
  const ListingShare share(os);
  os.FindFilesShared("C:\\Pictures\\*.*");
  // Wildcards inside, no extension, a letter other scripts share in upper
  // case, a folder part that is not absolute.
  for (const char* pattern :
       {"a*.jpg", "*.j?g", "*.", "*.tiff", "*.jpg.*", "Sub.jpg\\*.*", "..\\Other\\*.jpg"}) {
    const int before = os.Enumerations();
    EXPECT_EQ(Names(os.FindFilesShared(pattern)), Names(machine.FindFiles(pattern))) << pattern;
    EXPECT_EQ(os.Enumerations(), before + 1) << pattern;
  }
}

TEST_F(ListingShareTest, AShortNameMatchesAsThePlatformMatchesIt) {
  os.ReportShortName("photo.jpgx", "PHOTO~1.JPG");
  const ListingShare share(os);
  os.FindFilesShared("C:\\Pictures\\*.*");
  const auto shared = os.FindFilesShared("*.jpg");
  std::vector<std::string> names;
  for (const auto& entry : shared.value)
    names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.JPG", "Sub.jpg", "a.jpg", "photo.jpgx"}));
}

TEST_F(ListingShareTest, NothingIsKeptOnceTheShareEnds) {
  {
    const ListingShare outer(os);
    {
      const ListingShare inner(os);
      os.FindFilesShared("*.jpg");
    }
    machine.WriteFileContents("C:\\Pictures\\new.jpg", "x");
    // The outer share still holds the reading.
    EXPECT_EQ(os.FindFilesShared("*.jpg").value.size(), 3u);
  }
  EXPECT_EQ(os.FindFilesShared("*.jpg").value.size(), 4u);
  const ListingShare again(os);
  EXPECT_EQ(os.FindFilesShared("*.jpg").value.size(), 4u);
}

TEST_F(ListingShareTest, TheFolderListAndThePictureListReadTheFolderOnceAtStartUp) {
  TDirectoryListBox folders(os);
  PictureFolder pictures(os);
  pictures.SetMask("*.jpg");
  const int before = os.Enumerations();
  {
    const ListingShare share(os);
    folders.SetFolderPath("C:\\Other");
    pictures.ApplyPath("C:\\Other\\");
  }
  // The folder list's window comes later; its items are those of its folder.
  folders.CreateWindowHandle();
  EXPECT_EQ(os.Enumerations(), before + 1);
  EXPECT_EQ(pictures.Count(), 1);
  EXPECT_EQ(pictures.Name(0), "g.jpg");
  EXPECT_EQ(folders.ItemCount(), 2);  // C:\, Other
  EXPECT_EQ(folders.SelectedIndex(), 1);
}

TEST_F(ListingShareTest, AFolderListWhoseWindowComesFirstBuildsItsItemsThen) {
  TDirectoryListBox folders(os);
  const int before = os.Enumerations();
  folders.CreateWindowHandle();
  EXPECT_EQ(os.Enumerations(), before + 1);
  EXPECT_EQ(folders.SelectedIndex(), folders.CurrentIndex());
}

}  // namespace
}  // namespace pix
