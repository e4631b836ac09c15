// The OS seam itself on a real folder tree, run against both machines: the
// results and error codes that the program's callers rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "contract/Stage.h"
#include "platform/ListingShare.h"
#include "support/Checks.h"

namespace pix::test {
namespace {

// The attribute bits the cases look at; the real layer adds others (archive,
// not-indexed) as it pleases.
constexpr std::uint32_t kWatched = attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kDirectory;

class OsContract : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_ = MakeStage();
    root_ = stage_->Root();
  }
  Os& os() { return stage_->os(); }
  std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
  void File(const std::string& relative, const std::string& contents = "bytes",
            std::uint32_t attributes = 0) {
    stage_->MakeFile(Path(relative), contents, attributes);
  }
  void Dir(const std::string& relative, std::uint32_t attributes = 0) {
    stage_->MakeDir(Path(relative), attributes);
  }
  std::uint32_t ErrorOf(const std::string& path) { return os().GetFileAttributes(path).error; }

  // Name -> watched attribute bits, whatever order the folder lists them in.
  std::map<std::string, std::uint32_t> Found(const std::string& pattern, std::uint32_t* error = nullptr) {
    const auto found = os().FindFiles(pattern);
    if (error) *error = found.error;
    std::map<std::string, std::uint32_t> entries;
    for (const auto& entry : found.value)
      entries[entry.name] = entry.attributes & kWatched;
    return entries;
  }

  std::unique_ptr<Stage> stage_;
  std::string root_;
};

TEST_F(OsContract, CurrentDirectoryKeepsTheCallersSpelling) {
  Dir("Pics");
  Dir("Pics\\Sub");
  File("file.txt");
  const std::string folder = root_.substr(2);  // without "C:"
  const std::vector<DirectoryStep> rows = {
      {Path("Pics"), oserr::kSuccess, Path("Pics")},
      {Path("PICS\\"), oserr::kSuccess, Path("PICS")},  // spelled as given, without the backslash
      {"Sub", oserr::kSuccess, Path("PICS\\Sub")},
      {"..", oserr::kSuccess, Path("PICS")},
      {"..\\Pics\\.\\Sub", oserr::kSuccess, Path("Pics\\Sub")},
      {"\\", oserr::kSuccess, "C:\\"},  // a root keeps its backslash
      {"c:\\", oserr::kSuccess, "c:\\"},
      {folder + "\\Pics", oserr::kSuccess, "c:" + folder + "\\Pics"},  // the root of the current drive
      {root_ + "/Pics/Sub/", oserr::kSuccess, Path("Pics\\Sub")},
      {Path("Pics."), oserr::kSuccess, Path("Pics")},  // trailing dots go
      {"C:", oserr::kSuccess, Path("Pics")},           // the current drive: where it is
      {Path("Missing"), oserr::kFileNotFound, Path("Pics")},
      {Path("Missing\\Deeper"), oserr::kPathNotFound, Path("Pics")},
      {Path("file.txt"), oserr::kDirectory, Path("Pics")},
      {Path("file.txt\\Deeper"), oserr::kPathNotFound, Path("Pics")},
      {Path("Pic*"), oserr::kInvalidName, Path("Pics")},
  };
  ExpectDirectorySteps(os(), rows);
}

TEST_F(OsContract, FindFilesMatchesNamesAndReportsTheirAttributes) {
  File("photo.JPG");
  File("a.jpeg");
  File("a.jpg.bak");
  Dir("x.jpg");
  File("h.jpg", "hidden", attr::kHidden);
  File("s.jpg", "system", attr::kSystem);
  File("r.jpg", "read-only", attr::kReadOnly);
  using Entries = std::map<std::string, std::uint32_t>;
  const Entries oneLetter = {{"x.jpg", attr::kDirectory},
                             {"h.jpg", attr::kHidden},
                             {"s.jpg", attr::kSystem},
                             {"r.jpg", attr::kReadOnly}};
  Entries jpg = oneLetter, all = oneLetter;
  jpg.emplace("photo.JPG", 0);
  all.insert(
      {{".", attr::kDirectory}, {"..", attr::kDirectory}, {"photo.JPG", 0}, {"a.jpeg", 0}, {"a.jpg.bak", 0}});
  const std::vector<std::tuple<std::string, Entries, std::uint32_t>> cases = {
      // Folders, hidden and system files all come back: filtering is the caller's.
      {Path("*.jpg"), jpg, oserr::kSuccess},
      {Path("*.JPG"), jpg, oserr::kSuccess},
      {Path("*"), all, oserr::kSuccess},
      {Path("*.*"), all, oserr::kSuccess},
      {Path("a.*"), {{"a.jpeg", 0}, {"a.jpg.bak", 0}}, oserr::kSuccess},
      {Path("?.jpg"), oneLetter, oserr::kSuccess},
      {Path("photo.jpg"), {{"photo.JPG", 0}}, oserr::kSuccess},  // a plain name: that entry, as stored
      {Path("*.png"), {}, oserr::kFileNotFound},
      {Path("Missing\\*.jpg"), {}, oserr::kPathNotFound},
  };
  for (const auto& [pattern, entries, expectedError] : cases) {
    SCOPED_TRACE(pattern);
    std::uint32_t error = 0;
    EXPECT_EQ(Found(pattern, &error), entries);
    EXPECT_EQ(error, expectedError);
  }
  // A relative pattern reads against the current directory.
  ASSERT_EQ(os().SetCurrentDirectory(root_), oserr::kSuccess);
  EXPECT_EQ(Found("*.jpeg"), (Entries{{"a.jpeg", 0}}));
  EXPECT_EQ(Found("x.jpg\\*"), (Entries{{".", attr::kDirectory}, {"..", attr::kDirectory}}));
}

TEST_F(OsContract, OpenFileErrors) {
  Dir("Folder");
  File("read-only.txt", "kept", attr::kReadOnly);
  File("held.txt", "held");
  auto token = stage_->HoldOpen(Path("held.txt"));
  struct Case {
    std::string path;
    OpenMode mode;
    std::uint32_t error;
  };
  const std::vector<Case> cases = {
      {Path("missing.txt"), OpenMode::Read, oserr::kFileNotFound},
      {Path("missing.txt"), OpenMode::WriteExisting, oserr::kFileNotFound},
      {Path("Missing\\a.txt"), OpenMode::Read, oserr::kPathNotFound},
      {Path("Missing\\a.txt"), OpenMode::CreateWrite, oserr::kPathNotFound},
      {Path("Folder"), OpenMode::Read, oserr::kAccessDenied},
      {Path("Folder"), OpenMode::CreateWrite, oserr::kAccessDenied},
      {Path("read-only.txt"), OpenMode::CreateWrite, oserr::kAccessDenied},
      {Path("read-only.txt"), OpenMode::WriteExisting, oserr::kAccessDenied},
      {Path("read-only.txt"), OpenMode::Read, oserr::kSuccess},
      {Path("held.txt"), OpenMode::Read, oserr::kSharingViolation},
      {Path("held.txt"), OpenMode::CreateWrite, oserr::kSharingViolation},
      {Path("held.txt"), OpenMode::WriteExisting, oserr::kSharingViolation},
      {Path("*.txt"), OpenMode::Read, oserr::kInvalidName},
      {Path("a|b.txt"), OpenMode::CreateWrite, oserr::kInvalidName},
  };
  const bool readOnlyHolds = stage_->HonoursReadOnly();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " mode " + std::to_string(static_cast<int>(c.mode)));
    if (!readOnlyHolds && c.path == Path("read-only.txt") && c.mode != OpenMode::Read) continue;
    auto file = os().OpenFile(c.path, c.mode);
    EXPECT_EQ(file.error, c.error);
    EXPECT_EQ(file.value != nullptr, c.error == oserr::kSuccess);
  }
  token.reset();
  if (readOnlyHolds) {
    EXPECT_EQ(stage_->ReadFile(Path("read-only.txt")), "kept");
  }
  EXPECT_EQ(stage_->ReadFile(Path("held.txt")), "held");
  EXPECT_EQ(ErrorOf(Path("Missing")), oserr::kFileNotFound) << "a refused open creates nothing";
}

TEST_F(OsContract, FilesOpenedThroughTheSeamShareReadingOnly) {
  auto writer = os().OpenFile(Path("notes.txt"), OpenMode::CreateWrite);
  ASSERT_TRUE(writer);
  ASSERT_EQ(writer.value->Write("line 1\r\n", 8), oserr::kSuccess);
  EXPECT_EQ(os().OpenFile(Path("notes.txt"), OpenMode::CreateWrite).error, oserr::kSharingViolation);
  EXPECT_EQ(os().OpenFile(Path("notes.txt"), OpenMode::Read).error, oserr::kSharingViolation)
      << "a reader shares no writing with the writer already there";
  ASSERT_EQ(writer.value->Close(), oserr::kSuccess);
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "line 1\r\n");

  auto first = os().OpenFile(Path("notes.txt"), OpenMode::Read);
  auto second = os().OpenFile(Path("notes.txt"), OpenMode::Read);
  ASSERT_TRUE(first);
  ASSERT_TRUE(second) << "readers share with readers";
  EXPECT_EQ(os().OpenFile(Path("notes.txt"), OpenMode::CreateWrite).error, oserr::kSharingViolation);
  std::string text;
  char buffer[5];
  std::size_t got = 0;
  while (first.value->Read(buffer, sizeof buffer, got) == oserr::kSuccess && got > 0)
    text.append(buffer, got);
  EXPECT_EQ(text, "line 1\r\n");
  first.value->Close();
  second.value->Close();

  // Creating empties; writing in place does not.
  stage_->MakeFile(Path("notes.txt"), "1234567");
  auto inPlace = os().OpenFile(Path("notes.txt"), OpenMode::WriteExisting);
  ASSERT_TRUE(inPlace);
  ASSERT_EQ(inPlace.value->Write("ab", 2), oserr::kSuccess);
  inPlace.value->Close();
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "ab34567");
  auto emptied = os().OpenFile(Path("notes.txt"), OpenMode::CreateWrite);
  ASSERT_TRUE(emptied);
  emptied.value->Close();
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "");
}

TEST_F(OsContract, DeleteFile) {
  Dir("Folder");
  File("plain.txt");
  File("read-only.txt", "kept", attr::kReadOnly);
  File("held.txt");
  File("open.txt");
  const auto token = stage_->HoldOpen(Path("held.txt"));
  auto open = os().OpenFile(Path("open.txt"), OpenMode::Read);
  ASSERT_TRUE(open);
  struct Case {
    std::string path;
    std::uint32_t error;
  };
  const std::vector<Case> cases = {
      {Path("plain.txt"), oserr::kSuccess},
      {Path("plain.txt"), oserr::kFileNotFound},  // gone now
      {Path("Missing\\plain.txt"), oserr::kPathNotFound},
      {Path("Folder"), oserr::kAccessDenied},
      {Path("read-only.txt"), oserr::kAccessDenied},
      {Path("held.txt"), oserr::kSharingViolation},
      {Path("open.txt"), oserr::kSharingViolation},
      {Path("*.txt"), oserr::kInvalidName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(os().DeleteFile(c.path), c.error);
  }
  EXPECT_EQ(ErrorOf(Path("plain.txt")), oserr::kFileNotFound);
  for (const char* kept : {"Folder", "read-only.txt", "held.txt", "open.txt"}) {
    SCOPED_TRACE(kept);
    EXPECT_EQ(ErrorOf(Path(kept)), oserr::kSuccess);
  }
}

// The in-place way's calls: a file written over without emptying it first,
// ended where the new content ends, flushed; nobody else writes it meanwhile.
TEST_F(OsContract, WritingInPlace) {
  stage_->MakeFile(Path("notes.txt"), "1234567");
  auto inPlace = os().OpenFile(Path("notes.txt"), OpenMode::WriteExisting);
  ASSERT_TRUE(inPlace);
  EXPECT_EQ(os().OpenFile(Path("notes.txt"), OpenMode::WriteExisting).error, oserr::kSharingViolation);
  ASSERT_EQ(inPlace.value->Write("abc", 3), oserr::kSuccess);
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "abc4567") << "nothing emptied";
  EXPECT_EQ(inPlace.value->SetEnd(), oserr::kSuccess);
  EXPECT_EQ(inPlace.value->Flush(), oserr::kSuccess);
  EXPECT_EQ(inPlace.value->Close(), oserr::kSuccess);
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "abc");

  auto readOnly = os().OpenFile(Path("notes.txt"), OpenMode::Read);
  ASSERT_TRUE(readOnly);
  EXPECT_EQ(readOnly.value->Flush(), oserr::kAccessDenied)
      << "a file opened for reading has nothing to flush";
  // Windows refuses with access denied; 64-bit Wine answers "invalid
  // parameter". Either way nothing is cut.
  EXPECT_NE(readOnly.value->SetEnd(), oserr::kSuccess);
  readOnly.value->Close();
  EXPECT_EQ(stage_->ReadFile(Path("notes.txt")), "abc");
}

TEST_F(OsContract, ReplaceFileContents) {
  struct Case {
    std::string what;
    std::string target;
    std::uint32_t error;
    std::string targetAfter;  // "" when the target must not exist
  };
  const std::vector<Case> cases = {
      {"a new file", "new.jpg", oserr::kSuccess, "picture"},
      {"over a file", "old.jpg", oserr::kSuccess, "picture"},
      {"over a held file", "held.jpg", oserr::kAccessDenied, "old"},
      {"over a read-only file", "read-only.jpg", oserr::kAccessDenied, "old"},
      {"into a missing folder", "Missing\\new.jpg", oserr::kPathNotFound, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.target == "read-only.jpg" && !stage_->HonoursReadOnly()) continue;
    File("old.jpg", "old");
    File("read-only.jpg", "old", attr::kReadOnly);
    File("held.jpg", "old");
    auto token = stage_->HoldOpen(Path("held.jpg"));
    const std::uint32_t error = ReplaceFileContents(os(), Path(c.target), "picture").error;
    // A file in use refuses the swap (1175 on Windows, 32 on Wine), and then
    // the write in place with 32.
    if (c.target == "held.jpg") {
      EXPECT_NE(error, oserr::kSuccess);
    } else {
      EXPECT_EQ(error, c.error);
    }
    token.reset();
    if (c.targetAfter.empty()) {
      EXPECT_NE(ErrorOf(Path(c.target)), oserr::kSuccess);
    } else {
      EXPECT_EQ(stage_->ReadFile(Path(c.target)), c.targetAfter);
    }
    for (const char* pattern : {"*.tmp", "*.bak"}) {
      const auto left = os().FindFiles(Path(pattern));
      EXPECT_TRUE(left.value.empty()) << "a file of the run's own stayed: " << left.value.front().name;
    }
    if (ErrorOf(Path("new.jpg")) == oserr::kSuccess) stage_->Remove(Path("new.jpg"));
  }
}

// A picture is read whole before anything is written: exactly the length
// it had, or it is nothing to install.
TEST_F(OsContract, ReadWholeFile) {
  File("picture.jpg", "0123456789");
  const std::wstring path = os().AnsiToWide(Path("picture.jpg"));
  struct Case {
    std::string what;
    std::uint64_t expected;
    std::uint32_t error;
  };
  const std::vector<Case> cases = {
      {"the length it has", 10, oserr::kSuccess},
      {"longer than it is now: it was cut short", 11, oserr::kReadFault},
      {"shorter than it is now: it grew", 9, oserr::kReadFault},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string content = "left over";
    EXPECT_EQ(ReadWholeFile(os(), path, c.expected, content), c.error);
    if (c.error == oserr::kSuccess) {
      EXPECT_EQ(content, "0123456789");
    }
  }
  std::string content;
  EXPECT_EQ(ReadWholeFile(os(), os().AnsiToWide(Path("missing.jpg")), 1, content), oserr::kFileNotFound);
  EXPECT_EQ(stage_->ReadFile(Path("picture.jpg")), "0123456789");
  auto again = os().OpenFile(Path("picture.jpg"), OpenMode::WriteExisting);
  EXPECT_TRUE(again) << "the picture was let go";
}

// A move never replaces; a replacement leaves the old file under the
// backup's name. (What the replacement carries over of the old file's rights
// differs: this Wine keeps none, the in-memory machine and Windows do.)
TEST_F(OsContract, MovesAndReplacements) {
  Dir("Folder");
  struct Case {
    std::string what;
    std::function<std::uint32_t()> call;
    std::uint32_t error;                       // kWriteFault: any error
    std::map<std::string, std::string> after;  // "" for a name that must not exist
  };
  const auto wide = [this](const char* name) { return os().AnsiToWide(Path(name)); };
  const std::vector<Case> cases = {
      {"move to a free name",
       [&] { return os().MoveToFreeName(wide("new.jpg"), wide("fresh.jpg"), true); },
       oserr::kSuccess,
       {{"new.jpg", ""}, {"fresh.jpg", "new"}}},
      {"move over a file",
       [&] { return os().MoveToFreeName(wide("new.jpg"), wide("Pix_Rn.jpg"), true); },
       oserr::kAlreadyExists,
       {{"new.jpg", "new"}, {"Pix_Rn.jpg", "old"}}},
      {"move from a missing file",
       [&] { return os().MoveToFreeName(wide("missing.jpg"), wide("fresh.jpg"), false); },
       oserr::kFileNotFound,
       {{"fresh.jpg", ""}}},
      {"move a held file",
       [&] { return os().MoveToFreeName(wide("held.jpg"), wide("fresh.jpg"), true); },
       oserr::kSharingViolation,
       {{"held.jpg", "old"}, {"fresh.jpg", ""}}},
      {"replace",
       [&] { return os().ReplaceKeepingRights(wide("Pix_Rn.jpg"), wide("new.jpg"), wide("old.bak")); },
       oserr::kSuccess,
       {{"Pix_Rn.jpg", "new"}, {"new.jpg", ""}, {"old.bak", "old"}}},
      {"replace a missing file",
       [&] { return os().ReplaceKeepingRights(wide("missing.jpg"), wide("new.jpg"), wide("old.bak")); },
       oserr::kWriteFault,
       {{"new.jpg", "new"}, {"old.bak", ""}}},
      {"replace a held file",
       [&] { return os().ReplaceKeepingRights(wide("held.jpg"), wide("new.jpg"), wide("old.bak")); },
       oserr::kWriteFault,
       {{"held.jpg", "old"}, {"new.jpg", "new"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    File("new.jpg", "new");
    File("Pix_Rn.jpg", "old");
    File("held.jpg", "old");
    auto token = stage_->HoldOpen(Path("held.jpg"));
    const std::uint32_t error = c.call();
    token.reset();
    if (c.error == oserr::kWriteFault) {
      EXPECT_NE(error, oserr::kSuccess);
    } else {
      EXPECT_EQ(error, c.error);
    }
    for (const auto& [name, content] : c.after) {
      if (content.empty()) {
        EXPECT_NE(ErrorOf(Path(name)), oserr::kSuccess) << name;
      } else {
        EXPECT_EQ(stage_->ReadFile(Path(name)), content) << name;
      }
    }
    for (const char* left : {"fresh.jpg", "old.bak", "new.jpg"})
      if (ErrorOf(Path(left)) == oserr::kSuccess) stage_->Remove(Path(left));
  }
}

TEST_F(OsContract, AttributesAndExistence) {
  Dir("Folder");
  Dir("Hidden", attr::kHidden);
  File("plain.txt");
  File("read-only.txt", "x", attr::kReadOnly);
  File("hidden.txt", "x", attr::kHidden);
  struct Case {
    std::string path;
    std::uint32_t error;
    std::uint32_t watched;  // of the bits in `mask`
    bool directory;
    bool file;
    std::uint32_t mask = kWatched;
  };
  const std::vector<Case> cases = {
      {Path("Folder"), oserr::kSuccess, attr::kDirectory, true, false},
      {Path("folder\\"), oserr::kSuccess, attr::kDirectory, true, false},
      {Path("Hidden"), oserr::kSuccess, attr::kDirectory | attr::kHidden, true, false},
      {Path("PLAIN.TXT"), oserr::kSuccess, 0, false, true},
      {Path("read-only.txt"), oserr::kSuccess, attr::kReadOnly, false, true},
      {Path("hidden.txt"), oserr::kSuccess, attr::kHidden, false, true},
      // A drive root may be hidden and system as well.
      {"C:\\", oserr::kSuccess, attr::kDirectory, true, false, attr::kDirectory},
      {root_, oserr::kSuccess, attr::kDirectory, true, false},
      {Path("missing.txt"), oserr::kFileNotFound, 0, false, false},
      {Path("Missing\\plain.txt"), oserr::kPathNotFound, 0, false, false},
      {Path("*.txt"), oserr::kInvalidName, 0, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto attributes = os().GetFileAttributes(c.path);
    EXPECT_EQ(attributes.error, c.error);
    EXPECT_EQ(attributes.value & c.mask, c.watched);
    EXPECT_EQ(DirectoryExists(os(), c.path), c.directory);
    EXPECT_EQ(FileExists(os(), c.path), c.file);
  }
}

TEST_F(OsContract, FileLengthsAndFreeSpace) {
  File("empty.jpg", "");
  File("five.jpg", "12345");
  File("read-only.jpg", std::string(70000, 'r'), attr::kReadOnly);
  Dir("Folder");
  struct Case {
    std::string path;
    std::uint32_t error;
    std::uint64_t length;
  };
  const std::vector<Case> cases = {
      {Path("empty.jpg"), oserr::kSuccess, 0},
      {Path("FIVE.JPG"), oserr::kSuccess, 5},
      {Path("read-only.jpg"), oserr::kSuccess, 70000},
      {Path("missing.jpg"), oserr::kFileNotFound, 0},
      {Path("Missing\\five.jpg"), oserr::kPathNotFound, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto length = os().GetFileSizeWide(os().AnsiToWide(c.path));
    EXPECT_EQ(length.error, c.error);
    EXPECT_EQ(length.value, c.length);
  }

  // Any folder of a volume tells its room, with or without the backslash.
  for (const std::string& folder : {root_, root_ + "\\", Path("Folder\\"), std::string("C:\\")}) {
    SCOPED_TRACE(folder);
    const auto space = os().GetDiskFreeSpace(folder);
    EXPECT_EQ(space.error, oserr::kSuccess);
    EXPECT_GT(space.value.freeBytes, 0u);
    EXPECT_GE(space.value.clusterBytes, 512u);
  }
  EXPECT_NE(os().GetDiskFreeSpace(Path("Missing\\")).error, oserr::kSuccess);
}

TEST_F(OsContract, ComparisonsTheProgramDependsOn) {
  const std::vector<Comparison> rows = {
      {"a.jpg", "B.jpg", -1, -1},
      {"B.jpg", "c.jpg", -1, -1},
      {"img10.jpg", "img2.jpg", -1, -1},
      {"photo.JPG", "PHOTO.jpg", 0, -1},
      {"Pictures", "pictures", 0, 1},
      {"alpha", "Beta", -1, -1},
      {"Beta", "gamma", -1, -1},
      {"a", "ab", -1, -1},
      {"x.jpg", "x1.jpg", -1, -1},
      {"C:\\Pictures", "c:\\pictures", 0, 1},
      {"C:\\Pictures\\", "C:\\Pictures", 1, 1},
  };
  ExpectComparisons(os(), rows);
}

// Names the code page spells, ASCII and Latin-1 (as the ANSI code page of the
// test machines spells them): every printable single character, and names
// that weigh digits, case, accents, ligatures, punctuation and length.
std::vector<std::string> AnsiSpelledNames() {
  std::vector<std::string> names;
  for (int c = 0x20; c <= 0xFF; ++c)
    if (c != 0x7F) names.emplace_back(1, static_cast<char>(c));
  for (const char* name :
       {"a.jpg",      "B.jpg",    "c.jpg",      "img10.jpg",    "img2.jpg",    "IMG1.jpg",      "photo.JPG",
        "Photo.jpg",  "z.jpg",    "\xE9.jpg",   "e.jpg",        "f.jpg",       "\xC9t\xE9.jpg", "ete.jpg",
        "\xE6on.jpg", "aeon.jpg", "\xC6ON.jpg", "stra\xDF.jpg", "strass.jpg",  "co-op.jpg",     "coop.jpg",
        "co_op.jpg",  "it's.jpg", "its.jpg",    "ni\xF1o.jpg",  "nino.jpg",    "m\xFCller.jpg", "muller.jpg",
        "\xFF.jpg",   "y.jpg",    "1 a.jpg",    "1a.jpg",       "~x.jpg",      "x~.jpg",        "[x].jpg",
        "x",          "xx",       "x.jpg",      "x1.jpg",       "\x80uro.jpg", "\x8Ar.jpg"})
    names.emplace_back(name);
  return names;
}

// The picture list sorts by the wide sort key. For every name the code page
// spells it orders exactly as the ANSI sort key and the ANSI comparison
// always have, so the stored sequence positions keep their pictures.
TEST_F(OsContract, WideSortKeysOrderAnsiNamesAsTheAnsiCallsDo) {
  const std::vector<std::string> names = AnsiSpelledNames();
  auto sorted = [&names](const std::function<bool(const std::string&, const std::string&)>& before) {
    std::vector<std::string> order = names;
    std::stable_sort(order.begin(), order.end(), before);
    return order;
  };
  const auto byComparison = sorted(
      [this](const std::string& a, const std::string& b) { return os().CompareTextIgnoreCase(a, b) < 0; });
  std::map<std::string, std::string> ansiKeys, wideKeys;
  for (const std::string& name : names) {
    ansiKeys[name] = os().SortKeyIgnoreCase(name);
    std::string wideKey;
    os().AppendSortKeyIgnoreCaseWide(os().AnsiToWide(name), wideKey);
    wideKeys[name] = wideKey;
  }
  const auto byAnsiKey =
      sorted([&ansiKeys](const std::string& a, const std::string& b) { return ansiKeys[a] < ansiKeys[b]; });
  const auto byWideKey =
      sorted([&wideKeys](const std::string& a, const std::string& b) { return wideKeys[a] < wideKeys[b]; });
  EXPECT_EQ(byWideKey, byAnsiKey);
  EXPECT_EQ(byWideKey, byComparison);
  for (std::size_t i = 0; i + 1 < byWideKey.size(); ++i) {
    const std::string& a = byWideKey[i];
    const std::string& b = byWideKey[i + 1];
    SCOPED_TRACE("\"" + a + "\" then \"" + b + "\"");
    // Equal keys where the comparison finds the names equal, and only there.
    EXPECT_EQ(wideKeys[a] == wideKeys[b], os().CompareTextIgnoreCase(a, b) == 0);
  }
}

TEST_F(OsContract, TextBetweenTheCodePageAndWideCharacters) {
  for (const std::string& name : AnsiSpelledNames()) {
    SCOPED_TRACE(name);
    const std::wstring wide = os().AnsiToWide(name);
    EXPECT_EQ(os().WideToAnsi(wide), name) << "back again unchanged";
  }
  EXPECT_EQ(os().AnsiToWide("a\xE9"), L"a\u00E9");
  EXPECT_EQ(os().WideToAnsi(L""), std::string());
  // No code page of the test machines spells these; "?" never stands in.
  EXPECT_EQ(os().WideToAnsi(L"\u65E5\u672C.jpg"), std::nullopt);
  EXPECT_EQ(os().WideToAnsi(L"a\u0416"), std::nullopt);
}

// A name the code page cannot spell: the ANSI calls list it with "?" and
// cannot copy it; the wide calls list it, read it and copy it.
TEST_F(OsContract, NamesBeyondTheCodePageThroughTheWideCalls) {
  const std::wstring name = L"\u65E5\u672C.jpg";
  Dir("Pictures");
  File("Pictures\\a.jpg", "ascii");
  const std::wstring folder = os().AnsiToWide(Path("Pictures\\"));
  stage_->MakeFileWide(folder + name, "wide bytes");

  std::vector<std::wstring> wideNames;
  ASSERT_EQ(os().VisitFilesWide(folder + L"*.jpg",
                                [&](const FoundEntry& entry) { wideNames.emplace_back(entry.name); }),
            oserr::kSuccess);
  std::sort(wideNames.begin(), wideNames.end());
  EXPECT_EQ(wideNames, (std::vector<std::wstring>{L"a.jpg", name}));

  const auto ansi = os().FindFiles(Path("Pictures\\*.jpg"));
  ASSERT_TRUE(ansi);
  std::vector<std::string> ansiNames;
  for (const auto& entry : ansi.value)
    ansiNames.push_back(entry.name);
  std::sort(ansiNames.begin(), ansiNames.end());
  EXPECT_EQ(ansiNames, (std::vector<std::string>{"??.jpg", "a.jpg"}));
  EXPECT_NE(os().OpenFile(Path("Pictures\\??.jpg"), OpenMode::Read).error, oserr::kSuccess);

  EXPECT_TRUE(FileExistsWide(os(), folder + name));
  EXPECT_FALSE(FileExistsWide(os(), folder + L"\u65E5.jpg"));
  auto opened = os().OpenFileForReadingWide(folder + name);
  ASSERT_TRUE(opened);
  char buffer[32] = {};
  std::size_t got = 0;
  EXPECT_EQ(opened.value->Read(buffer, sizeof buffer, got), oserr::kSuccess);
  EXPECT_EQ(std::string(buffer, got), "wide bytes");
  EXPECT_EQ(opened.value->Close(), oserr::kSuccess);
  EXPECT_EQ(os().OpenFileForReadingWide(folder + L"missing.jpg").error, oserr::kFileNotFound);

  std::string whole;
  EXPECT_EQ(ReadWholeFile(os(), folder + name, 10, whole), oserr::kSuccess);
  EXPECT_EQ(whole, "wide bytes");
}

// What a listing share answers is what the platform's own enumeration
// answers: the same entries in the same order with the same error, a mask
// matched against the short names as the platform matches it.
TEST_F(OsContract, ASharedReadingAnswersAsThePlatformDoes) {
  Dir("Pictures");
  Dir("Pictures\\x.jpg");
  for (const char* name : {"photo.JPG", "a.jpeg", "a.jpg.bak", "photo.jpgx", "name with spaces.jpg", "b.Jpg",
                           "ab.jpgjpg", "readme", "c.png"})
    File(std::string("Pictures\\") + name);
  File("Pictures\\h.jpg", "hidden", attr::kHidden);
  const std::wstring folder = os().AnsiToWide(Path("Pictures\\"));
  stage_->MakeFileWide(folder + L"\u65E5\u672C.jpg", "wide");

  using Entries = std::vector<std::pair<std::wstring, std::uint32_t>>;
  const auto collect = [](Entries& into) {
    return [&into](const FoundEntry& entry) { into.emplace_back(entry.name, entry.attributes & kWatched); };
  };
  ASSERT_EQ(os().SetCurrentDirectory(Path("Pictures")), oserr::kSuccess);
  for (const std::wstring& pattern :
       {folder + L"*.jpg", folder + L"*.JPG", folder + L"*.*", folder + L"*", folder + L"*.jpeg",
        folder + L"*.jpgx", folder + L"*.jp", folder + L"*.png", folder + L"*.gif", std::wstring(L"*.jpg"),
        folder + L"x.jpg\\*.*"}) {
    SCOPED_TRACE(os().WideToAnsi(pattern).value_or("?"));
    Entries own, shared;
    const std::uint32_t ownError = os().VisitFilesWide(pattern, collect(own));
    const ListingShare share(os());
    os().VisitFilesWideShared(folder + L"*.*", [](const FoundEntry&) {});
    const std::uint32_t sharedError = os().VisitFilesWideShared(pattern, collect(shared));
    EXPECT_EQ(shared, own);
    EXPECT_EQ(sharedError, ownError);
  }
}

TEST_F(OsContract, LetterCaseOfAscii) {
  const std::vector<LetterCase> rows = {
      {"Pix_Rn.JPG", "pix_rn.jpg", "PIX_RN.JPG"},
      {"c: [SYSTEM]", "c: [system]", "C: [SYSTEM]"},
      {"\\\\Server\\Pics 2", "\\\\server\\pics 2", "\\\\SERVER\\PICS 2"},
      {"", "", ""},
  };
  ExpectLetterCase(os(), rows);
}

}  // namespace
}  // namespace pix::test
