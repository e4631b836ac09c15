// Enumerations shared while a listing share is open: one reading of the
// folder, the answers the platform's own enumeration gives, nothing kept
// after the share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PictureFolder.h"
#include "platform/ListingShare.h"
#include "support/memory/MemoryOs.h"
#include "tests/support/FaultyOs.h"
#include "widgets/DirectoryListBox.h"

namespace pix {
namespace {

std::vector<std::wstring> Visited(Os& os, const std::wstring& pattern, bool shared) {
  std::vector<std::wstring> names;
  const auto take = [&](const FoundEntry& entry) {
    names.push_back(std::wstring(entry.name) + L"/" + std::to_wstring(entry.attributes));
  };
  if (shared)
    os.VisitFilesWideShared(pattern, take);
  else
    os.VisitFilesWide(pattern, take);
  return names;
}

std::vector<std::string> ItemTexts(TDirectoryListBox& folders) {
  std::vector<std::string> items(static_cast<std::size_t>(folders.ItemCount()));
  for (std::size_t i = 0; i < items.size(); ++i)
    items[i] = folders.Item(static_cast<int>(i)).text;
  return items;
}

class ListingShareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.AddDrive('C', DriveType::Fixed, "SYSTEM");
    machine.MakeDirectory("C:\\Pictures\\Sub.jpg");
    machine.MakeDirectory("C:\\Pictures\\Zebra");
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
  EXPECT_EQ(Visited(os, L"C:\\Pictures\\*.*", true), Visited(machine, L"C:\\Pictures\\*.*", false));
  EXPECT_EQ(Visited(os, L"*.jpg", true), Visited(machine, L"*.jpg", false));
  EXPECT_EQ(os.Enumerations(), 2);
}

TEST_F(ListingShareTest, OneReadingAnswersEveryPlainMaskOfItsFolderAsThePlatformDoes) {
  const ListingShare share(os);
  for (const wchar_t* pattern : {L"C:\\Pictures\\*.*", L"*.jpg", L"*.JPG", L"*.Jpg", L"*.*", L"*", L"*.png",
                                 L"C:\\Pictures\\*.jpg", L"*.jp", L"*.txt", L"*.zzz", L"*.jpgx"}) {
    SCOPED_TRACE(std::wstring(pattern).size());
    EXPECT_EQ(Visited(os, pattern, true), Visited(machine, pattern, false));
    std::uint32_t error = os.VisitFilesWideShared(pattern, [](const FoundEntry&) {});
    EXPECT_EQ(error, machine.VisitFilesWide(pattern, [](const FoundEntry&) {}));
  }
  EXPECT_EQ(os.Enumerations(), 1);
  // Another folder is read on its own, and its answers are its own.
  EXPECT_EQ(Visited(os, L"C:\\Other\\*.jpg", true), Visited(machine, L"C:\\Other\\*.jpg", false));
  EXPECT_EQ(Visited(os, L"C:\\Missing\\*.jpg", true), std::vector<std::wstring>{});
  EXPECT_EQ(os.VisitFilesWideShared(L"C:\\Missing\\*.jpg", [](const FoundEntry&) {}), oserr::kPathNotFound);
}

TEST_F(ListingShareTest, OtherMasksAndRelativeFoldersAreLeftToThePlatform) {
  const ListingShare share(os);
  Visited(os, L"C:\\Pictures\\*.*", true);
  // Wildcards inside, no extension, a letter other scripts fold to, a folder
  // part that is not absolute, a plain name.
  for (const wchar_t* pattern : {L"a*.jpg", L"*.j?g", L"*.", L"*.tiff", L"*.jpg.*", L"*.JPS", L"Sub.jpg\\*.*",
                                 L"..\\Other\\*.jpg", L"a.jpg"}) {
    SCOPED_TRACE(std::wstring(pattern).size());
    const int before = os.Enumerations();
    EXPECT_EQ(Visited(os, pattern, true), Visited(machine, pattern, false));
    EXPECT_EQ(os.Enumerations(), before + 1);
  }
}

TEST_F(ListingShareTest, AMaskMatchesTheShortNameAsThePlatformMatchesIt) {
  os.ReportShortName(L"photo.jpgx", L"PHOTO~1.JPG");
  const ListingShare share(os);
  std::vector<std::wstring> names;
  os.VisitFilesWideShared(L"*.jpg", [&](const FoundEntry& entry) { names.emplace_back(entry.name); });
  std::vector<std::wstring> expected;
  os.VisitFilesWide(L"*.*", [&](const FoundEntry& entry) {
    if (entry.name == L"a.jpg" || entry.name == L"B.JPG" || entry.name == L"Sub.jpg" ||
        entry.name == L"photo.jpgx")
      expected.emplace_back(entry.name);
  });
  EXPECT_EQ(names, expected);
}

TEST_F(ListingShareTest, NothingIsKeptOnceTheOutermostShareEnds) {
  const auto count = [&] { return Visited(os, L"*.jpg", true).size(); };
  {
    const ListingShare outer(os);
    {
      const ListingShare inner(os);
      EXPECT_EQ(count(), 3u);
    }
    machine.WriteFileContents("C:\\Pictures\\new.jpg", "x");
    EXPECT_EQ(count(), 3u) << "the outer share still holds the reading";
  }
  EXPECT_EQ(count(), 4u);
  const ListingShare again(os);
  EXPECT_EQ(count(), 4u);
}

TEST_F(ListingShareTest, TheFolderListAndThePictureListReadTheFolderOnceAtStartUp) {
  TDirectoryListBox folders(os);
  PictureFolder pictures(os);
  pictures.SetMask("*.jpg");
  const int before = os.Enumerations();
  {
    const ListingShare share(os);
    folders.SetFolderPath("C:\\Pictures");
    pictures.ApplyPath("C:\\Pictures\\");
  }
  // The folder list's window comes later; its items are those of its folder.
  folders.CreateWindowHandle();
  EXPECT_EQ(os.Enumerations(), before + 1);
  ASSERT_EQ(pictures.Count(), 1);  // neither the hidden picture nor the folder
  EXPECT_EQ(pictures.Name(0), L"a.jpg");
  EXPECT_EQ(ItemTexts(folders), (std::vector<std::string>{"C:\\", "Pictures", "Sub.jpg", "Zebra"}));
  EXPECT_EQ(folders.SelectedIndex(), 1);
}

TEST_F(ListingShareTest, AFolderNameTheCodePageCannotSpellIsShownAsTheAnsiListingShowsIt) {
  machine.MakeDirectory(MemoryOs::SpelledName(L"C:\\Pictures\\\u65E5\u672C"));
  const ListingShare share(os);
  TDirectoryListBox folders(os);
  folders.SetFolderPath("C:\\Pictures");
  EXPECT_EQ(ItemTexts(folders), (std::vector<std::string>{"C:\\", "Pictures", "??", "Sub.jpg", "Zebra"}));
}

}  // namespace
}  // namespace pix
