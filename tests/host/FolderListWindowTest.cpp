// The folder list's window made after its items: it takes the items it has
// and reads the folder no second time; made first, it builds them then.
#include <gtest/gtest.h>

#include <string>

#include "support/memory/MemoryOs.h"
#include "tests/support/FaultyOs.h"
#include "widgets/DirectoryListBox.h"

namespace pix {
namespace {

class FolderListWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.AddDrive('C', DriveType::Fixed, "SYSTEM");
    machine.MakeDirectory("C:\\Other");
    machine.WriteFileContents("C:\\Other\\g.jpg", "x");
    machine.SetCurrentDirectory("C:\\");
  }
  MemoryOs machine;
  test::FaultyOs os{machine};
};

TEST_F(FolderListWindowTest, AWindowMadeLaterKeepsTheItemsOfItsFolder) {
  TDirectoryListBox folders(os);
  folders.SetFolderPath("C:\\Other");
  const int before = os.Enumerations();
  folders.CreateWindowHandle();
  EXPECT_EQ(os.Enumerations(), before);
  EXPECT_EQ(folders.ItemCount(), 2);  // C:\, Other
  EXPECT_EQ(folders.SelectedIndex(), 1);
}

TEST_F(FolderListWindowTest, AWindowMadeFirstBuildsItsItemsThen) {
  TDirectoryListBox folders(os);
  const int before = os.Enumerations();
  folders.CreateWindowHandle();
  EXPECT_EQ(os.Enumerations(), before + 1);
  EXPECT_EQ(folders.SelectedIndex(), folders.CurrentIndex());
}

}  // namespace
}  // namespace pix
