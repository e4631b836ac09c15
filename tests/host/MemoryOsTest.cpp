// The in-memory machine where the contract cases cannot reach: drives of
// every type, media that are missing, network shares, remembered drive
// folders, the error mode, injected faults, clocks and the collation.
#include "support/memory/MemoryOs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/Checks.h"

namespace pix::test {
namespace {

std::vector<std::string> Names(const OsResult<std::vector<DirEntry>>& found) {
  std::vector<std::string> names;
  for (const auto& entry : found.value)
    names.push_back(entry.name);
  return names;
}

std::string ReadAll(OsFile& file) {
  std::string text;
  char buffer[3];
  std::size_t got = 0;
  while (file.Read(buffer, sizeof buffer, got) == oserr::kSuccess && got > 0)
    text.append(buffer, got);
  return text;
}

// a: removable without a medium, C: fixed "SYSTEM", D: optical with a disc
// "PHOTOS", R: RAM disk, Z: the network share \\server\pics.
class MemoryOsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os.AddDrive('a', DriveType::Removable);
    os.SetDriveReady('a', false);
    os.AddDrive('C', DriveType::Fixed, "SYSTEM");
    os.AddDrive('D', DriveType::CdRom, "PHOTOS", volflag::kCaseSensitive | volflag::kCasePreserved);
    os.AddDrive('R', DriveType::RamDisk, "", 0);
    os.AddShare("\\\\server\\pics", "PICS");
    os.AddNetworkDrive('Z', "\\\\server\\pics");
    os.MakeDirectory("C:\\Pictures\\Sub");
    os.WriteFileContents("C:\\Pictures\\a.jpg", "AAA");
    os.MakeDirectory("D:\\Album");
    os.MakeDirectory("Z:\\summer");
    os.WriteFileContents("Z:\\summer\\beach.jpg", "sand");
  }

  MemoryOs os;
};

TEST_F(MemoryOsTest, DrivesTheirTypesAndTheBitSet) {
  EXPECT_EQ(os.GetLogicalDrives(), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 17) | (1u << 25));
  struct Case {
    std::string root;
    DriveType type;
  };
  const std::vector<Case> cases = {
      {"a:\\", DriveType::Removable},  // no medium, but the type is known
      {"A:\\", DriveType::Removable},
      {"c:\\", DriveType::Fixed},
      {"C:\\", DriveType::Fixed},
      {"C:", DriveType::Fixed},
      {"C:/", DriveType::Fixed},
      {"d:\\", DriveType::CdRom},
      {"r:\\", DriveType::RamDisk},
      {"z:\\", DriveType::Remote},
      {"\\\\server\\pics\\", DriveType::Remote},
      {"\\\\SERVER\\PICS", DriveType::Remote},
      {"q:\\", DriveType::NoRootDir},
      {"C:\\Pictures\\", DriveType::NoRootDir},
      {"\\\\server\\other\\", DriveType::NoRootDir},
      {"", DriveType::NoRootDir},
      {"c", DriveType::NoRootDir},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    EXPECT_EQ(os.GetDriveType(c.root), c.type);
  }
}

TEST_F(MemoryOsTest, VolumeInformation) {
  struct Case {
    std::string root;
    std::uint32_t error;
    std::string label;
    std::uint32_t flags;
  };
  const std::vector<Case> cases = {
      {"C:\\", oserr::kSuccess, "SYSTEM", volflag::kCasePreserved},
      {"c:\\", oserr::kSuccess, "SYSTEM", volflag::kCasePreserved},
      {"D:\\", oserr::kSuccess, "PHOTOS", volflag::kCaseSensitive | volflag::kCasePreserved},
      {"R:\\", oserr::kSuccess, "", 0},
      {"Z:\\", oserr::kSuccess, "PICS", volflag::kCasePreserved},
      {"\\\\server\\pics\\", oserr::kSuccess, "PICS", volflag::kCasePreserved},
      {"A:\\", oserr::kNotReady, "", 0},
      {"Q:\\", oserr::kPathNotFound, "", 0},
      {"C:", oserr::kInvalidName, "", 0},
      {"C:\\Pictures\\", memerr::kDirNotRoot, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    const auto info = os.GetVolumeInformation(c.root);
    EXPECT_EQ(info.error, c.error);
    EXPECT_EQ(info.value.label, c.label);
    EXPECT_EQ(info.value.flags, c.flags);
  }
  os.SetVolumeLabel('C', "WORK");
  os.SetVolumeFlags('C', 0);
  EXPECT_EQ(os.GetVolumeInformation("C:\\").value.label, "WORK");
  EXPECT_EQ(os.GetVolumeInformation("C:\\").value.flags, 0u);
}

TEST_F(MemoryOsTest, NetworkConnections) {
  struct Case {
    std::string localName;
    std::uint32_t error;
    std::string remote;
  };
  const std::vector<Case> cases = {
      {"Z:", oserr::kSuccess, "\\\\server\\pics"},
      {"z:", oserr::kSuccess, "\\\\server\\pics"},
      {"C:", oserr::kNotConnected, ""},
      {"A:", oserr::kNotConnected, ""},
      {"Q:", memerr::kBadDevice, ""},
      {"Z", memerr::kBadDevice, ""},
      {"Z:\\", memerr::kBadDevice, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.localName);
    const auto connection = os.GetNetworkConnection(c.localName);
    EXPECT_EQ(connection.error, c.error);
    EXPECT_EQ(connection.value, c.remote);
  }
  os.SetConnectionError('Z', 1222);  // ERROR_NO_NETWORK
  EXPECT_EQ(os.GetNetworkConnection("Z:").error, 1222u);
  os.SetConnectionError('Z', 0);
  EXPECT_EQ(os.GetNetworkConnection("Z:").value, "\\\\server\\pics");
}

TEST_F(MemoryOsTest, AShareAndItsDriveLetterReachTheSameTree) {
  EXPECT_EQ(os.GetFileAttributes("\\\\server\\pics\\summer\\beach.jpg").error, oserr::kSuccess);
  ASSERT_EQ(Names(os.FindFiles("\\\\SERVER\\PICS\\summer\\*.jpg")), (std::vector<std::string>{"beach.jpg"}));
  auto file = os.OpenFile("\\\\server\\pics\\new.jpg", OpenMode::CreateWrite);
  ASSERT_TRUE(file);
  ASSERT_EQ(file.value->Write("via unc", 7), oserr::kSuccess);
  ASSERT_EQ(file.value->Close(), oserr::kSuccess);
  EXPECT_EQ(os.ReadFileContents("Z:\\new.jpg"), "via unc");
  EXPECT_EQ(os.GetFileAttributes("\\\\nobody\\pics\\x").error, memerr::kBadNetPath);

  ASSERT_EQ(os.SetCurrentDirectory("\\\\server\\pics\\summer"), oserr::kSuccess);
  EXPECT_EQ(os.GetCurrentDirectory(), "\\\\server\\pics\\summer");
  ASSERT_EQ(os.SetCurrentDirectory("\\"), oserr::kSuccess);
  EXPECT_EQ(os.GetCurrentDirectory(), "\\\\server\\pics") << "a share's root reads without a backslash";
  ASSERT_EQ(os.SetCurrentDirectory(".."), oserr::kSuccess);
  EXPECT_EQ(os.GetCurrentDirectory(), "\\\\server\\pics") << ".. stops at the share";
}

TEST_F(MemoryOsTest, EveryAccessToADriveWithoutItsMediumFailsWith21) {
  os.WriteFileContents("a:\\inside.txt", "on the missing disk");
  const std::vector<std::pair<std::string, std::function<std::uint32_t()>>> accesses = {
      {"SetCurrentDirectory", [&] { return os.SetCurrentDirectory("a:\\"); }},
      {"SetCurrentDirectory drive-relative", [&] { return os.SetCurrentDirectory("a:"); }},
      {"FindFiles", [&] { return os.FindFiles("a:\\*.*").error; }},
      {"FindFiles plain", [&] { return os.FindFiles("a:\\inside.txt").error; }},
      {"GetFileAttributes", [&] { return os.GetFileAttributes("a:\\inside.txt").error; }},
      {"GetFileAttributes root", [&] { return os.GetFileAttributes("a:\\").error; }},
      {"OpenFile read", [&] { return os.OpenFile("a:\\inside.txt", OpenMode::Read).error; }},
      {"OpenFile write", [&] { return os.OpenFile("a:\\new.txt", OpenMode::CreateWrite).error; }},
      {"DeleteFile", [&] { return os.DeleteFile("a:\\inside.txt"); }},
      {"OpenFileForReadingWide", [&] { return os.OpenFileForReadingWide(L"a:\\inside.txt").error; }},
      {"GetFileSizeWide", [&] { return os.GetFileSizeWide(L"a:\\inside.txt").error; }},
      {"MoveToFreeName", [&] { return os.MoveToFreeName(L"a:\\inside.txt", L"a:\\moved.txt", true); }},
      {"ReplaceKeepingRights",
       [&] { return os.ReplaceKeepingRights(L"a:\\inside.txt", L"a:\\new.txt", L"a:\\old.txt"); }},
      {"GetVolumeInformation", [&] { return os.GetVolumeInformation("a:\\").error; }},
  };
  for (const auto& [what, access] : accesses) {
    SCOPED_TRACE(what);
    const std::size_t prompts = os.CriticalErrorPrompts();
    EXPECT_EQ(access(), oserr::kNotReady);
    EXPECT_EQ(os.CriticalErrorPrompts(), prompts + 1) << "with the default error mode Windows would ask";
  }
  EXPECT_EQ(os.GetDriveType("a:\\"), DriveType::Removable);
  EXPECT_EQ(os.GetCurrentDirectory(), "C:\\") << "a failed change stays where it was";
  EXPECT_FALSE(os.Exists("C:\\copy.txt"));

  // With critical errors off the failure is quiet.
  os.SetErrorMode(kSemFailCriticalErrors);
  const std::size_t prompts = os.CriticalErrorPrompts();
  EXPECT_EQ(os.GetVolumeInformation("a:\\").error, oserr::kNotReady);
  EXPECT_EQ(os.CriticalErrorPrompts(), prompts);

  // With the medium back, the same tree is there.
  os.SetDriveReady('a', true);
  EXPECT_EQ(os.SetCurrentDirectory("a:\\"), oserr::kSuccess);
  EXPECT_EQ(Names(os.FindFiles("*.txt")), (std::vector<std::string>{"inside.txt"}));
}

TEST_F(MemoryOsTest, ErrorModeIsRecordedAndTheOldOneGivenBack) {
  EXPECT_EQ(os.ErrorMode(), 0u);
  EXPECT_EQ(os.SetErrorMode(kSemFailCriticalErrors), 0u);
  EXPECT_EQ(os.ErrorMode(), kSemFailCriticalErrors);
  EXPECT_EQ(os.SetErrorMode(0x8003), kSemFailCriticalErrors);
  EXPECT_EQ(os.SetErrorMode(0), 0x8003u);
  EXPECT_EQ(os.ErrorMode(), 0u);
  EXPECT_EQ(os.ErrorModeLog(), (std::vector<std::uint32_t>{kSemFailCriticalErrors, 0x8003, 0}));
}

TEST_F(MemoryOsTest, DriveRelativePathsAndRememberedFolders) {
  os.MakeDirectory("D:\\Album\\2019");
  const std::vector<DirectoryStep> rows = {
      {"D:", oserr::kSuccess, "D:\\"},  // nothing remembered: the root
      {"C:\\Pictures", oserr::kSuccess, "C:\\Pictures"},
      {"d:Album", oserr::kSuccess, "d:\\Album"},  // from the root, the letter as typed
      {"C:", oserr::kSuccess, "C:\\"},            // leaving D: remembers nothing for C: either
      {"Q:", oserr::kPathNotFound, "C:\\"},
      {"R:", oserr::kSuccess, "R:\\"},
      {"R:.", oserr::kSuccess, "R:\\"},
      {"C:Pictures\\Sub", oserr::kSuccess, "C:\\Pictures\\Sub"},
      {"C:..", oserr::kSuccess, "C:\\Pictures"},  // on C: itself, against the current directory
  };
  ExpectDirectorySteps(os, rows);

  os.SetRememberedDirectory('D', "D:\\Album");
  const std::vector<DirectoryStep> remembered = {
      {"D:", oserr::kSuccess, "D:\\Album"},
      {"D:2019", oserr::kSuccess, "D:\\Album\\2019"},
      {"C:\\", oserr::kSuccess, "C:\\"},
      // Changing directories never updates the remembered folder.
      {"D:", oserr::kSuccess, "D:\\Album"},
      {"D:\\", oserr::kSuccess, "D:\\"},
      {"C:\\", oserr::kSuccess, "C:\\"},
      {"D:..", oserr::kSuccess, "D:\\"},
  };
  ExpectDirectorySteps(os, remembered);

  // A remembered folder that is gone fails like any missing folder.
  os.SetRememberedDirectory('C', "C:\\Gone");
  ASSERT_EQ(os.SetCurrentDirectory("D:\\"), oserr::kSuccess);
  EXPECT_EQ(os.SetCurrentDirectory("C:"), oserr::kFileNotFound);
  EXPECT_EQ(os.GetCurrentDirectory(), "D:\\");
  EXPECT_THROW(os.SetRememberedDirectory('C', "D:\\Album"), std::runtime_error);
}

TEST_F(MemoryOsTest, FullPathRulesOfTheCurrentDirectory) {
  const std::vector<DirectoryStep> rows = {
      {"C:/Pictures/Sub", oserr::kSuccess, "C:\\Pictures\\Sub"},
      {"C:\\Pictures.\\Sub", oserr::kSuccess, "C:\\Pictures\\Sub"},      // one dot off an inner name
      {"C:\\Pictures\\Sub. . .", oserr::kSuccess, "C:\\Pictures\\Sub"},  // dots and blanks off the last
      {"C:\\\\Pictures\\\\", oserr::kSuccess, "C:\\Pictures"},
      {"C:\\..\\..\\Pictures", oserr::kSuccess, "C:\\Pictures"},
      {"Sub\\..\\.\\Sub", oserr::kSuccess, "C:\\Pictures\\Sub"},
      {"C:\\Pictures\\a.jpg\\..", oserr::kSuccess, "C:\\Pictures"},  // ".." goes by the text alone
      {"C:\\Pic*", oserr::kInvalidName, "C:\\Pictures"},
      {"C:\\Pic|tures", oserr::kInvalidName, "C:\\Pictures"},
      {"", oserr::kInvalidName, "C:\\Pictures"},
      {"\\\\?\\C:\\Pictures", oserr::kInvalidName, "C:\\Pictures"},
  };
  ExpectDirectorySteps(os, rows);
}

TEST_F(MemoryOsTest, EnumerationKeepsCreationOrder) {
  os.MakeDirectory("C:\\Order");
  for (const char* name : {"zeta.jpg", "Alpha.jpg", "mid.jpg", "beta.JPG"})
    os.WriteFileContents(std::string("C:\\Order\\") + name, "x");
  EXPECT_EQ(Names(os.FindFiles("C:\\Order\\*.jpg")),
            (std::vector<std::string>{"zeta.jpg", "Alpha.jpg", "mid.jpg", "beta.JPG"}));
  EXPECT_EQ(Names(os.FindFiles("C:\\Order\\*")),
            (std::vector<std::string>{".", "..", "zeta.jpg", "Alpha.jpg", "mid.jpg", "beta.JPG"}));
  // A file made again goes to the end.
  ASSERT_EQ(os.DeleteFile("C:\\Order\\zeta.jpg"), oserr::kSuccess);
  os.WriteFileContents("C:\\Order\\zeta.jpg", "x");
  EXPECT_EQ(Names(os.FindFiles("C:\\Order\\*.jpg")),
            (std::vector<std::string>{"Alpha.jpg", "mid.jpg", "beta.JPG", "zeta.jpg"}));
  // A root has neither "." nor "..".
  EXPECT_EQ(Names(os.FindFiles("R:\\*")), (std::vector<std::string>{}));
  EXPECT_EQ(os.FindFiles("R:\\*").error, oserr::kFileNotFound);
  EXPECT_EQ(Names(os.FindFiles("D:\\*.*")), (std::vector<std::string>{"Album"}));
  // Names without an extension.
  os.WriteFileContents("C:\\Order\\README", "x");
  EXPECT_EQ(Names(os.FindFiles("C:\\Order\\*.")), (std::vector<std::string>{".", "..", "README"}));
}

TEST_F(MemoryOsTest, CreatingAHiddenOrSystemFileAnewIsRefused) {
  // Emptying such a file needs its attributes repeated, which the real
  // layer's call does not do; writing it in place does not.
  struct Case {
    std::uint32_t attributes;
    OpenMode mode;
    std::uint32_t error;
  };
  const std::vector<Case> cases = {
      {attr::kHidden, OpenMode::CreateWrite, oserr::kAccessDenied},
      {attr::kSystem, OpenMode::CreateWrite, oserr::kAccessDenied},
      {attr::kArchive, OpenMode::CreateWrite, oserr::kSuccess},
      {attr::kHidden, OpenMode::WriteExisting, oserr::kSuccess},
      {attr::kHidden, OpenMode::Read, oserr::kSuccess},
      {attr::kReadOnly, OpenMode::WriteExisting, oserr::kAccessDenied},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attributes);
    os.WriteFileContents("C:\\settings.dat", "kept", c.attributes);
    auto file = os.OpenFile("C:\\settings.dat", c.mode);
    EXPECT_EQ(file.error, c.error);
    if (file) file.value->Close();
    if (c.error != oserr::kSuccess) {
      EXPECT_EQ(os.ReadFileContents("C:\\settings.dat"), "kept");
    }
  }
}

TEST_F(MemoryOsTest, WritingInPlaceKeepsTheRest) {
  os.WriteFileContents("C:\\n.txt", "1234567");
  auto file = os.OpenFile("C:\\n.txt", OpenMode::WriteExisting);
  ASSERT_TRUE(file);
  ASSERT_EQ(file.value->Write("ab", 2), oserr::kSuccess);
  EXPECT_EQ(os.ReadFileContents("C:\\n.txt"), "ab34567") << "writes show at once";
  std::size_t got = 1;
  char c;
  EXPECT_EQ(file.value->Read(&c, 1, got), oserr::kAccessDenied) << "opened for writing only";
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(os.OpenFileCount(), 1u);
  ASSERT_EQ(file.value->Close(), oserr::kSuccess);
  EXPECT_EQ(os.OpenFileCount(), 0u);
  EXPECT_EQ(file.value->Close(), oserr::kSuccess) << "closing twice is harmless";
  EXPECT_EQ(file.value->Write("x", 1), oserr::kInvalidHandle);
  EXPECT_EQ(os.OpenFile("C:\\none.txt", OpenMode::WriteExisting).error, oserr::kFileNotFound);
}

TEST_F(MemoryOsTest, InjectedWriteAndCloseFaults) {
  auto file = os.OpenFile("C:\\out.txt", OpenMode::CreateWrite);
  ASSERT_TRUE(file);
  os.FailWrite(2, oserr::kDiskFull);
  const std::vector<std::pair<std::string, std::uint32_t>> writes = {
      {"one,", oserr::kSuccess}, {"two,", oserr::kDiskFull}, {"three", oserr::kSuccess}};
  for (const auto& [text, error] : writes) {
    SCOPED_TRACE(text);
    EXPECT_EQ(file.value->Write(text.data(), text.size()), error);
  }
  EXPECT_EQ(os.ReadFileContents("C:\\out.txt"), "one,three") << "the failed write wrote nothing";

  os.FailNextClose(oserr::kWriteFault);
  EXPECT_EQ(file.value->Close(), oserr::kWriteFault);
  EXPECT_EQ(os.OpenFileCount(), 0u) << "closed all the same";
  auto again = os.OpenFile("C:\\out.txt", OpenMode::CreateWrite);
  ASSERT_TRUE(again) << "nothing holds the file after the failed close";
  EXPECT_EQ(again.value->Close(), oserr::kSuccess) << "the fault was used up";

  // A destructor does not use up a close fault.
  os.FailNextClose(oserr::kWriteFault);
  { auto dropped = os.OpenFile("C:\\out.txt", OpenMode::Read); }
  auto last = os.OpenFile("C:\\out.txt", OpenMode::Read);
  ASSERT_TRUE(last);
  EXPECT_EQ(last.value->Close(), oserr::kWriteFault);

  os.FailWrite(1, oserr::kDiskFull);
  os.ClearFaults();
  auto clean = os.OpenFile("C:\\out.txt", OpenMode::CreateWrite);
  ASSERT_TRUE(clean);
  EXPECT_EQ(clean.value->Write("ok", 2), oserr::kSuccess);
}

TEST_F(MemoryOsTest, AFolderThatRefusesNewFiles) {
  os.MakeDirectory("C:\\windows");
  os.WriteFileContents("C:\\windows\\Pix_Rn.jpg", "old");
  os.RefuseNewFiles("C:\\windows");
  const std::vector<std::pair<std::string, std::function<std::uint32_t()>>> cases = {
      {"create a new file", [&] { return os.OpenFile("C:\\windows\\new.txt", OpenMode::CreateWrite).error; }},
      {"create a file only where none is",
       [&] { return os.OpenFile("C:\\windows\\a.jpg", OpenMode::CreateNew).error; }},
      {"move to a new name",
       [&] { return os.MoveToFreeName(L"C:\\Pictures\\a.jpg", L"C:\\windows\\a.jpg", true); }},
  };
  for (const auto& [what, call] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(call(), oserr::kAccessDenied);
  }
  EXPECT_FALSE(os.Exists("C:\\windows\\new.txt"));
  EXPECT_FALSE(os.Exists("C:\\windows\\a.jpg"));
  EXPECT_TRUE(os.Exists("C:\\Pictures\\a.jpg"));

  // The file granted stays writable, and may be replaced.
  auto file = os.OpenFile("C:\\windows\\Pix_Rn.jpg", OpenMode::WriteExisting);
  ASSERT_TRUE(file);
  EXPECT_EQ(file.value->Write("AAAA", 4), oserr::kSuccess);
  file.value->Close();
  EXPECT_EQ(os.ReadFileContents("C:\\windows\\Pix_Rn.jpg"), "AAAA");
  // Deleting it is allowed, and then it cannot come back.
  EXPECT_EQ(os.DeleteFile("C:\\windows\\Pix_Rn.jpg"), oserr::kSuccess);
  EXPECT_EQ(os.OpenFile("C:\\windows\\Pix_Rn.jpg", OpenMode::CreateWrite).error, oserr::kAccessDenied);

  os.RefuseNewFiles("C:\\windows", false);
  EXPECT_EQ(os.OpenFile("C:\\windows\\Pix_Rn.jpg", OpenMode::CreateWrite).error, oserr::kSuccess);
}

// Each volume keeps its own journal: a flush on one puts nothing of
// another's on the disk.
TEST_F(MemoryOsTest, AFlushCommitsOnlyItsOwnVolume) {
  os.AddDrive('d', DriveType::Fixed);
  ASSERT_TRUE(os.OpenFile("C:\\new.txt", OpenMode::CreateNew));
  auto other = os.OpenFile("D:\\other.txt", OpenMode::CreateNew);
  ASSERT_TRUE(other);
  EXPECT_EQ(other.value->Flush(), oserr::kSuccess);
  EXPECT_FALSE(os.AllOnDisk());
  os.PowerCut(UnflushedData::Lost);
  EXPECT_FALSE(os.Exists("C:\\new.txt"));
  EXPECT_TRUE(os.Exists("D:\\other.txt"));
}

TEST_F(MemoryOsTest, MovesStayOnTheirVolumeAndReplaceNothing) {
  EXPECT_EQ(os.MoveToFreeName(L"C:\\Pictures\\a.jpg", L"R:\\a.jpg", true), memerr::kNotSameDevice);
  EXPECT_EQ(os.MoveToFreeName(L"C:\\Pictures", L"C:\\Pictures\\Sub\\Inner", true), oserr::kAccessDenied);
  EXPECT_EQ(os.MoveToFreeName(L"C:\\Pictures\\Sub", L"C:\\Moved", true), oserr::kSuccess)
      << "folders move too";
  EXPECT_TRUE(os.Exists("C:\\Moved"));
  os.WriteFileContents("C:\\b.jpg", "b");
  EXPECT_EQ(os.MoveToFreeName(L"C:\\Pictures\\a.jpg", L"C:\\b.jpg", true), oserr::kAlreadyExists);
  EXPECT_EQ(os.ReadFileContents("C:\\b.jpg"), "b");
  EXPECT_EQ(os.MoveToFreeName(L"C:\\Pictures\\a.jpg", L"C:\\Pictures\\A.JPG", true), oserr::kSuccess);
  EXPECT_EQ(Names(os.FindFiles("C:\\Pictures\\*.jpg")), (std::vector<std::string>{"A.JPG"}))
      << "a change of letter case only renames";
}

TEST_F(MemoryOsTest, HeldFilesAreFreedWithTheirToken) {
  auto token = os.HoldOpen("C:\\Pictures\\a.jpg");
  EXPECT_EQ(os.OpenFile("C:\\Pictures\\a.jpg", OpenMode::Read).error, oserr::kSharingViolation);
  EXPECT_EQ(os.GetFileAttributes("C:\\Pictures\\a.jpg").error, oserr::kSuccess) << "attributes stay readable";
  token.reset();
  auto file = os.OpenFile("C:\\Pictures\\a.jpg", OpenMode::Read);
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadAll(*file.value), "AAA");
  EXPECT_THROW(os.HoldOpen("C:\\Pictures\\missing.jpg"), std::runtime_error);
  EXPECT_THROW(os.ReadFileContents("C:\\Pictures"), std::runtime_error);
  EXPECT_THROW(os.ReadFileContents("Q:\\x"), std::runtime_error);
}

TEST_F(MemoryOsTest, ClocksMoveOnlyWhenTold) {
  struct Case {
    LocalTime start;
    std::uint32_t advance;
    LocalTime end;
  };
  const std::vector<Case> cases = {
      {{2024, 5, 17, 10, 0, 0, 998}, 1, {2024, 5, 17, 10, 0, 0, 999}},
      {{2024, 5, 17, 10, 0, 0, 999}, 1, {2024, 5, 17, 10, 0, 1, 0}},
      {{2024, 5, 17, 10, 59, 59, 500}, 600, {2024, 5, 17, 11, 0, 0, 100}},
      {{2024, 5, 17, 23, 59, 59, 999}, 1, {2024, 5, 18, 0, 0, 0, 0}},
      {{2024, 2, 28, 23, 59, 59, 999}, 1, {2024, 2, 29, 0, 0, 0, 0}},
      {{2023, 2, 28, 23, 59, 59, 999}, 1, {2023, 3, 1, 0, 0, 0, 0}},
      {{1900, 2, 28, 12, 0, 0, 0}, 86'400'000, {1900, 3, 1, 12, 0, 0, 0}},
      {{2023, 12, 31, 23, 59, 59, 999}, 1, {2024, 1, 1, 0, 0, 0, 0}},
      {{2024, 1, 31, 0, 0, 0, 0}, 40u * 86'400'000, {2024, 3, 11, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.start.year) + "-" + std::to_string(c.start.month) + "-" +
                 std::to_string(c.start.day) + " +" + std::to_string(c.advance));
    os.SetLocalTime(c.start);
    os.SetTickCount(0xFFFFFFF0u);
    os.SetPerformanceCounter(1000);
    os.Advance(c.advance);
    const LocalTime t = os.GetLocalTime();
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond}),
              std::vector<int>({c.end.year, c.end.month, c.end.day, c.end.hour, c.end.minute, c.end.second,
                                c.end.millisecond}));
    EXPECT_EQ(os.GetTickCount(), 0xFFFFFFF0u + c.advance) << "the tick count wraps like a DWORD";
    EXPECT_EQ(os.QueryPerformanceCounter(),
              std::optional<std::int64_t>(1000 + std::int64_t{c.advance} * 10'000));
  }
  const LocalTime before = os.GetLocalTime();
  EXPECT_EQ(os.GetLocalTime().millisecond, before.millisecond) << "reading does not move the clock";
  os.SetPerformanceCounter(std::nullopt);
  EXPECT_EQ(os.QueryPerformanceCounter(), std::nullopt);
  os.Advance(5);
  EXPECT_EQ(os.QueryPerformanceCounter(), std::nullopt) << "a failing counter stays failing";
}

TEST_F(MemoryOsTest, ModuleAndWindowsDirectory) {
  EXPECT_EQ(os.ModuleFileName(), "C:\\Program\\Pix_Rn.exe");
  EXPECT_EQ(os.GetWindowsDirectory(), "C:\\windows");
  struct Case {
    std::string set;
    std::string reported;
  };
  const std::vector<Case> cases = {
      {"D:\\WINNT", "D:\\WINNT"},
      {"C:\\" + std::string(251, 'w'), "C:\\" + std::string(251, 'w')},  // 254 characters fit
      {"C:\\" + std::string(252, 'w'), ""},                              // 255 do not
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set.size());
    os.SetWindowsDirectory(c.set);
    EXPECT_EQ(os.GetWindowsDirectory(), c.reported);
  }
  os.SetModuleFileName("D:\\Tools\\Pix_Rn.exe");
  EXPECT_EQ(os.ModuleFileName(), "D:\\Tools\\Pix_Rn.exe");
}

TEST_F(MemoryOsTest, ShellExecuteIsRecorded) {
  os.WriteFileContents("C:\\Program\\help\\Hlp_Vw.exe", "MZ");
  struct Case {
    std::string file;
    std::uintptr_t result;
  };
  const std::vector<Case> cases = {
      {"C:\\Program\\help\\Hlp_Vw.exe", 42},
      {"C:\\Program\\help\\HLP_VW.EXE", 42},
      {"C:\\Program\\help\\missing.exe", 2},
      {"C:\\Program\\nohelp\\Hlp_Vw.exe", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(os.ShellExecute(0x1234, c.file, c.file, 1), c.result);
  }
  ASSERT_EQ(os.ShellCalls().size(), cases.size());
  const auto& first = os.ShellCalls().front();
  EXPECT_EQ(first.owner, 0x1234u);
  EXPECT_EQ(first.file, "C:\\Program\\help\\Hlp_Vw.exe");
  EXPECT_EQ(first.directory, "C:\\Program\\help\\Hlp_Vw.exe");
  EXPECT_EQ(first.showCommand, 1);
}

// Signs as the platform's comparison gives them for the English locale.
TEST_F(MemoryOsTest, CollationOfTheDefaultLocale) {
  const std::vector<Comparison> rows = {
      {"a.jpg", "B.jpg", -1, -1},
      {"B.jpg", "c.jpg", -1, -1},
      {"img10.jpg", "img2.jpg", -1, -1},
      {"abc", "ABC", 0, -1},
      {"A", "a", 0, 1},
      {"Ab", "aB", 0, 1},  // the first difference in case decides
      {"a", "ab", -1, -1},
      {"", "a", -1, -1},
      {"", "", 0, 0},
      {"alpha", "Beta", -1, -1},
      {"Beta", "gamma", -1, -1},
      {"x.jpg", "x1.jpg", -1, -1},  // punctuation before digits
      {"1", "a", -1, -1},           // digits before letters
      {"!", "1", -1, -1},
      {"_", "1", -1, -1},
      {"+", "1", -1, -1},
      {"=", "!", 1, 1},
      {"x .jpg", "x.jpg", -1, -1},  // the blank before the dot
      {"a-b", "ab", 1, 1},          // hyphens and apostrophes weigh last
      {"co-op", "coop", 1, 1},
      {"co-op", "cop", -1, -1},
      {"a'b", "ab", 1, 1},
      {"a\xAD"
       "b",
       "ab", 0, 0},           // the soft hyphen weighs nothing
      {"\xE0", "a", 1, 1},    // an accent after the plain letter
      {"\xE0", "b", -1, -1},  // but before the next letter
      {"\xC0", "\xE0", 0, 1},
      {"resume", "r\xE9sum\xE9", -1, -1},
      {"r\xE9sum\xE9", "resumf", -1, -1},
      {"ae", "\xE6", 0, 0},  // ligatures sort as their letters
      {"ss", "\xDF", 0, 0},
      {"\x8A", "S", 1, 1},
      {"\x8A", "T", -1, -1},
      {"\xB2", "2", 1, 1},
      {"\xB2", "3", -1, -1},
      {"a\x01", "a", 1, 1},
  };
  ExpectComparisons(os, rows);
}

TEST_F(MemoryOsTest, SortKeysSortAListLikeTheComparison) {
  std::vector<std::string> names = {"img2.jpg", "B.jpg",   "c.jpg",  "img10.jpg", "a.jpg",  "\xC9t\xE9.jpg",
                                    "zz.jpg",   "A-1.jpg", "a1.jpg", "_x.jpg",    "Etc.jpg"};
  std::vector<std::string> byComparison = names;
  std::stable_sort(byComparison.begin(), byComparison.end(), [&](const std::string& a, const std::string& b) {
    return os.CompareTextIgnoreCase(a, b) < 0;
  });
  std::vector<std::string> byKey = names;
  std::stable_sort(byKey.begin(), byKey.end(), [&](const std::string& a, const std::string& b) {
    return os.SortKeyIgnoreCase(a) < os.SortKeyIgnoreCase(b);
  });
  EXPECT_EQ(byKey, byComparison);
  EXPECT_EQ(byComparison,
            (std::vector<std::string>{"_x.jpg", "a.jpg", "a1.jpg", "A-1.jpg", "B.jpg", "c.jpg", "Etc.jpg",
                                      "\xC9t\xE9.jpg", "img10.jpg", "img2.jpg", "zz.jpg"}));
}

TEST_F(MemoryOsTest, LetterCaseOfCodePage1252) {
  const std::vector<LetterCase> rows = {
      {"Pix_Rn.JPG", "pix_rn.jpg", "PIX_RN.JPG"},
      {"SYSTEM", "system", "SYSTEM"},
      {"\\\\Server\\Pics", "\\\\server\\pics", "\\\\SERVER\\PICS"},
      {"\xC0\xC9\xD6\xDE", "\xE0\xE9\xF6\xFE", "\xC0\xC9\xD6\xDE"},
      {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"},
      {"\xDF\xB5\xD7\xF7", "\xDF\xB5\xD7\xF7", "\xDF\xB5\xD7\xF7"},
      {"", "", ""},
  };
  ExpectLetterCase(os, rows);
}

}  // namespace
}  // namespace pix::test
