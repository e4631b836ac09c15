// The path rules, the picture list and the folder list on a real folder
// tree, run against both machines.
#include <gtest/gtest.h>

#include "contract/Stage.h"
#include "core/PathRules.h"
#include "core/PictureFolder.h"
#include "settings/Errors.h"
#include "support/Checks.h"
#include "widgets/DirectoryListBox.h"

namespace pix::test {
namespace {

class FoldersContract : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_ = MakeStage();
    root_ = stage_->Root();
    rootFolder_ = root_.substr(2);  // the folder part, without "C:"
    stage_->MakeDir(Path("Pictures"));
    stage_->MakeDir(Path("Pictures\\Sub"));
    ChangeDirectory(os(), root_);
  }
  Os& os() { return stage_->os(); }
  std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
  void File(const std::string& relative, std::uint32_t attributes = 0) {
    stage_->MakeFile(Path(relative), "jpeg bytes of " + relative, attributes);
  }
  // The names as ANSI text: the cases list names the code page spells.
  std::vector<std::string> Items(PictureFolder& list) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
      items.push_back(os().WideToAnsi(list.Name(i)).value_or("(not in the code page)"));
    return items;
  }
  static std::vector<std::string> Items(TDirectoryListBox& list) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(list.ItemCount()));
    for (int i = 0; i < list.ItemCount(); ++i)
      items.push_back(list.Item(i).text);
    return items;
  }

  std::unique_ptr<Stage> stage_;
  std::string root_;
  std::string rootFolder_;
};

TEST_F(FoldersContract, ResolvePathTextSplitsTheWorkedCases) {
  File("Pictures\\a.jpg");
  struct Case {
    std::string text;
    char drive;
    std::string folder;
    std::string file;
  };
  const std::vector<Case> cases = {
      {Path("Pictures\\"), 'C', rootFolder_ + "\\Pictures", ""},
      {"c:\\", 'c', "\\", ""},
      {Path("Pictures\\*.png"), 'C', rootFolder_ + "\\Pictures", "*.png"},
      {Path("Pictures\\a.jpg"), 'C', rootFolder_ + "\\Pictures", "a.jpg"},
      {Path("Pictures\\Sub"), 'C', rootFolder_ + "\\Pictures\\Sub", ""},
      {"Pictures\\Sub\\", 'C', "Pictures\\Sub", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ResolvedPath resolved = ResolvePathText(os(), c.text);
    ASSERT_TRUE(resolved.drive.has_value());
    EXPECT_EQ(*resolved.drive, c.drive);
    EXPECT_EQ(resolved.folder, c.folder);
    EXPECT_EQ(resolved.file, c.file);
    EXPECT_EQ(os().GetCurrentDirectory(), root_) << "the current directory is put back";
  }
}

TEST_F(FoldersContract, ResolvePathTextRefusesAMissingFolderAndPutsTheDirectoryBack) {
  for (const std::string& text :
       {Path("Missing\\"), Path("Missing\\Deeper\\a.jpg"), Path("Pictures\\Gone")}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(ResolvePathText(os(), text), EInOutError);
    EXPECT_EQ(os().GetCurrentDirectory(), root_);
  }
}

TEST_F(FoldersContract, PictureListListsTheJpegFilesInNameOrder) {
  for (const char* name :
       {"img2.jpg", "img10.jpg", "c.jpg", "B.jpg", "a.jpg", "photo.JPG", "a.jpeg", "a.jpg.bak", "note.txt"})
    File(std::string("Pictures\\") + name);
  File("Pictures\\hidden.jpg", attr::kHidden);
  File("Pictures\\system.jpg", attr::kSystem);
  File("Pictures\\readonly.jpg", attr::kReadOnly);
  stage_->MakeDir(Path("Pictures\\x.jpg"));

  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  const std::vector<std::string> expected = {"a.jpg",    "B.jpg",     "c.jpg",       "img10.jpg",
                                             "img2.jpg", "photo.JPG", "readonly.jpg"};
  EXPECT_EQ(Items(list), expected);
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(os().GetCurrentDirectory(), Path("Pictures")) << "the list leaves the process in its folder";
}

TEST_F(FoldersContract, PictureListMaskPiecesAreUsedAsWritten) {
  for (const char* name : {"b.jpg", "a.jpg", "a.jpeg", "z.png"})
    File(std::string("Pictures\\") + name);
  struct Case {
    std::string mask;
    std::vector<std::string> items;
  };
  const std::vector<Case> cases = {
      {"*.jpg;*.jpeg", {"a.jpeg", "a.jpg", "b.jpg"}},
      {"*.jpg;a.*", {"a.jpeg", "a.jpg", "a.jpg", "b.jpg"}},  // listed twice, side by side
      {"*.png", {"z.png"}},
      {"*.*", {"a.jpeg", "a.jpg", "b.jpg", "z.png"}},
      {"*.gif", {}},
  };
  PictureFolder list(os());
  list.SetFolderPath(Path("Pictures"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    list.SetMask(c.mask);
    EXPECT_EQ(Items(list), c.items);
  }
}

TEST_F(FoldersContract, PictureListAttributeFilter) {
  File("Pictures\\plain.jpg");
  File("Pictures\\hidden.jpg", attr::kHidden);
  File("Pictures\\readonly.jpg", attr::kReadOnly);
  stage_->MakeDir(Path("Pictures\\folder.jpg"));
  struct Case {
    std::string what;
    FileTypes types;
    std::vector<std::string> items;
  };
  const std::vector<Case> cases = {
      {"plain files", {FileType::Normal}, {"plain.jpg", "readonly.jpg"}},
      {"and hidden ones", {FileType::Normal, FileType::Hidden}, {"hidden.jpg", "plain.jpg", "readonly.jpg"}},
      {"read-only only", {FileType::ReadOnly}, {"readonly.jpg"}},
      {"folders only", {FileType::Directory}, {"[folder.jpg]"}},
      {"plain files and folders",
       {FileType::Normal, FileType::Directory},
       {"[folder.jpg]", "plain.jpg", "readonly.jpg"}},
      {"nothing", {}, {}},
  };
  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    list.SetTypes(c.types);
    EXPECT_EQ(Items(list), c.items);
  }
}

// The pictures are listed when the folder is set, so that the countdown's
// last step needs the folder no more; a reload takes what came since.
TEST_F(FoldersContract, PictureListListsWhenItsFolderIsSet) {
  File("Pictures\\early.jpg");
  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  File("Pictures\\late.jpg");
  EXPECT_EQ(Items(list), std::vector<std::string>{"early.jpg"});
  list.Reload();
  EXPECT_EQ(Items(list), (std::vector<std::string>{"early.jpg", "late.jpg"}));
}

TEST_F(FoldersContract, PictureListSelectionAndPaths) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    File(std::string("Pictures\\") + name);
  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  struct Case {
    int write;
    int read;
    std::string path;
  };
  const std::vector<Case> cases = {
      {1, 1, Path("Pictures\\b.jpg")}, {3, -1, ""},  {-1, -1, ""},
      {0, 0, Path("Pictures\\a.jpg")}, {-7, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.write);
    list.Select(c.write);
    EXPECT_EQ(list.SelectedIndex(), c.read);
    EXPECT_EQ(list.SelectedFilePath(), os().AnsiToWide(c.path));
  }
}

TEST_F(FoldersContract, PictureListApplyPath) {
  File("Pictures\\a.jpg");
  File("Pictures\\b.jpg");
  File("Pictures\\d.png");

  PictureFolder list(os());
  list.SetMask("*.jpg");

  // A folder with its backslash: only the folder changes.
  list.ApplyPath(Path("Pictures\\"));
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(list.Mask(), "*.jpg");
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_EQ(list.SelectedFilePath(), L"");

  // A file selects it.
  list.ApplyPath(Path("Pictures\\b.jpg"));
  EXPECT_EQ(list.SelectedFileName(), L"b.jpg");

  // The same file in another letter case does nothing, not even a reload.
  File("Pictures\\c.jpg");
  list.ApplyPath(Path("PICTURES\\B.JPG"));
  EXPECT_EQ(list.Count(), 2);

  // A file the mask hides becomes the mask.
  list.ApplyPath(Path("Pictures\\d.png"));
  EXPECT_EQ(list.Mask(), "d.png");
  EXPECT_EQ(list.SelectedFileName(), L"d.png");

  // A mask in the file part sets the folder and the mask.
  list.ApplyPath(Path("Pictures\\Sub\\*.png"));
  EXPECT_EQ(list.FolderPath(), Path("Pictures\\Sub"));
  EXPECT_EQ(list.Mask(), "*.png");

  // "" does nothing.
  list.ApplyPath("");
  EXPECT_EQ(list.FolderPath(), Path("Pictures\\Sub"));
}

TEST_F(FoldersContract, PictureListApplyPathFailures) {
  File("Pictures\\a.jpg");
  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  ASSERT_EQ(list.Count(), 1);

  // A missing folder changes nothing.
  EXPECT_THROW(list.ApplyPath(Path("Missing\\")), EInOutError);
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(os().GetCurrentDirectory(), Path("Pictures"));

  // A final name that is no file is taken for a folder, so a missing file
  // fails like a missing folder, before anything changes.
  ExpectInOutError([&] { list.ApplyPath(Path("Pictures\\Sub\\nothing.jpg")); }, oserr::kFileNotFound,
                   "File not found");
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(os().GetCurrentDirectory(), Path("Pictures"));
}

TEST_F(FoldersContract, PictureListFolderInAnotherLetterCaseDoesNotReload) {
  File("Pictures\\a.jpg");
  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.SetFolderPath(Path("Pictures"));
  ASSERT_EQ(list.Count(), 1);
  File("Pictures\\b.jpg");
  list.SetFolderPath(Path("PICTURES"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
}

TEST_F(FoldersContract, FolderListShowsTheWayDownAndTheSortedSubfolders) {
  for (const char* name : {"gamma", "alpha", "Beta"})
    stage_->MakeDir(Path(std::string("Pictures\\Sub\\") + name));
  stage_->MakeDir(Path("Pictures\\Sub\\hidden"), attr::kHidden);
  stage_->MakeDir(Path("Pictures\\Sub\\system"), attr::kSystem);
  File("Pictures\\Sub\\file.jpg");

  TDirectoryListBox list(os());
  list.SetFolderPath(Path("Pictures\\Sub"));
  const std::string caseFolder = rootFolder_.substr(rootFolder_.rfind('\\') + 1);
  const std::vector<std::string> expected = {"C:\\", "pixtest", caseFolder, "Pictures",
                                             "Sub",  "alpha",   "Beta",     "gamma"};
  EXPECT_EQ(Items(list), expected);
  EXPECT_EQ(list.SelectedIndex(), 4);
  EXPECT_EQ(list.Item(4).kind, FolderItemKind::Current);
  EXPECT_EQ(list.Item(0).kind, FolderItemKind::OnTheWay);
  EXPECT_EQ(list.Item(5).kind, FolderItemKind::Subfolder);
  EXPECT_EQ(os().GetCurrentDirectory(), Path("Pictures\\Sub"));

  struct Case {
    int index;
    std::string folder;
    int indent;
  };
  const std::vector<Case> cases = {
      {0, "C:\\", 2},
      {3, Path("Pictures"), 14},
      {4, Path("Pictures\\Sub"), 18},
      {5, Path("Pictures\\Sub\\alpha"), 22},
      {7, Path("Pictures\\Sub\\gamma"), 22},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(list.ItemFolderPath(c.index), c.folder);
    EXPECT_EQ(list.ItemIndent(c.index), c.indent);
  }
  EXPECT_EQ(list.ItemFolderPath(8), "");
}

TEST_F(FoldersContract, FolderListWrites) {
  TDirectoryListBox list(os());
  list.SetFolderPath(Path("Pictures"));
  int changes = 0;
  list.OnChange = [&] { ++changes; };

  // The same folder with a trailing backslash is a change: it is rebuilt.
  stage_->MakeDir(Path("Pictures\\New"));
  list.SetFolderPath(Path("Pictures\\"));
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(changes, 1);
  const std::string caseFolder = rootFolder_.substr(rootFolder_.rfind('\\') + 1);
  EXPECT_EQ(Items(list), (std::vector<std::string>{"C:\\", "pixtest", caseFolder, "Pictures", "New", "Sub"}));

  // "" and the same text do nothing.
  list.SetFolderPath("");
  list.SetFolderPath(Path("Pictures"));
  EXPECT_EQ(changes, 1);

  // A missing folder raises and leaves the list as it was.
  EXPECT_THROW(list.SetFolderPath(Path("Missing")), EInOutError);
  EXPECT_EQ(list.FolderPath(), Path("Pictures"));
  EXPECT_EQ(changes, 1);

  // Opening the root item goes up to the drive's root.
  list.SetSelectedIndex(0);
  list.OpenSelected();
  EXPECT_EQ(list.FolderPath(), "C:\\");
  EXPECT_EQ(list.Item(0).text, "C:\\");
  EXPECT_EQ(list.Item(0).kind, FolderItemKind::Current);
  EXPECT_EQ(changes, 2);

  // With nothing selected, opening does nothing.
  list.SetSelectedIndex(-1);
  list.OpenSelected();
  EXPECT_EQ(list.FolderPath(), "C:\\");
  EXPECT_EQ(changes, 2);
}

// A name the ANSI code page cannot spell is listed under its own name and
// installed in its turn; the names the code page spells keep their order.
TEST_F(FoldersContract, PictureListListsNamesBeyondTheCodePage) {
  const std::wstring wideName = L"\u65E5\u672C.jpg";
  for (const char* name : {"z.jpg", "a.jpg", "\xE9.jpg", "B.jpg"})
    File(std::string("Pictures\\") + name);
  stage_->MakeFileWide(os().AnsiToWide(Path("Pictures\\")) + wideName, "jpeg bytes of the wide one");

  PictureFolder list(os());
  list.SetMask("*.jpg");
  list.ApplyPath(Path("Pictures\\"));
  ASSERT_EQ(list.Count(), 5);
  std::vector<std::wstring> spelled;
  int wideIndex = -1;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Name(i) == wideName) wideIndex = i;
    if (os().WideToAnsi(list.Name(i))) spelled.push_back(list.Name(i));
  }
  EXPECT_EQ(spelled, (std::vector<std::wstring>{L"a.jpg", L"B.jpg", os().AnsiToWide("\xE9.jpg"), L"z.jpg"}));
  ASSERT_NE(wideIndex, -1) << "listed under its own name";

  list.Select(wideIndex);
  EXPECT_EQ(list.SelectedFileName(), wideName);
  EXPECT_EQ(list.SelectedFilePath(), os().AnsiToWide(Path("Pictures\\")) + wideName);
  auto read = os().OpenFileForReadingWide(list.SelectedFilePath());
  ASSERT_TRUE(read);
  char buffer[64] = {};
  std::size_t got = 0;
  read.value->Read(buffer, sizeof buffer, got);
  EXPECT_EQ(std::string(buffer, got), "jpeg bytes of the wide one");

  // No ANSI text names it: a path's file part never selects it.
  list.ApplyPath(Path("Pictures\\a.jpg"));
  EXPECT_EQ(list.SelectedFileName(), L"a.jpg");
  list.SelectFileName("??.jpg");
  EXPECT_EQ(list.SelectedIndex(), -1);
}

}  // namespace
}  // namespace pix::test
