// The settings file against a machine: the in-memory one on the host, the
// real layer under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contract/Stage.h"
#include "settings/Errors.h"
#include "settings/SettingsFile.h"
#include "support/Checks.h"
#include "support/FaultyOs.h"

namespace pix::test {
namespace {

const std::vector<std::string> kNewLines = {"C:\\Pictures\\", "120", "1", "-1"};
const std::string kNewBytes = "C:\\Pictures\\\r\n120\r\n1\r\n-1\r\n";
const std::string kOldBytes = "D:\\Old pictures\\\r\n60\r\n0\r\n7\r\n";

class SettingsFileContract : public ::testing::Test {
 protected:
  Os& os() { return stage_->os(); }
  std::string InRoot(const std::string& name) const { return stage_->Root() + "\\" + name; }
  std::string SettingsPath() const { return InRoot("Pix_rn.dat"); }

  // The names in the scratch folder, sorted, without "." and "..".
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    for (const DirEntry& entry : os().FindFiles(stage_->Root() + "\\*").value)
      if (entry.name != "." && entry.name != "..") names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<Stage> stage_ = MakeStage();
};

TEST_F(SettingsFileContract, WritesLinesAndReadsThemBack) {
  struct Case {
    const char* name;
    bool existing;  // an older, longer file is there first
    std::vector<std::string> lines;
    std::string bytes;
  };
  const std::string longPath = "C:\\" + std::string(300, 'q') + "\\";
  const std::vector<Case> cases = {
      {"new file", false, kNewLines, kNewBytes},
      {"over a longer file", true, {"C:\\", "0", "-1"}, "C:\\\r\n0\r\n-1\r\n"},
      {"empty lines", true, {"", "", "0", "-1"}, "\r\n\r\n0\r\n-1\r\n"},
      {"no lines", true, {}, ""},
      {"a 300-character folder", false, {longPath, " 60", "1", "-1"}, longPath + "\r\n 60\r\n1\r\n-1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.existing)
      stage_->MakeFile(SettingsPath(), kOldBytes + "and more\r\n");
    else if (FileExists(os(), SettingsPath()))
      stage_->Remove(SettingsPath());

    WriteSettingsLines(os(), SettingsPath(), c.lines);

    EXPECT_EQ(stage_->ReadFile(SettingsPath()), c.bytes);
    std::vector<std::string> expected = c.lines;
    expected.resize(5);  // lines past the end read as ""
    EXPECT_EQ(ReadSettingsLines(os(), SettingsPath(), 5), expected);
    EXPECT_EQ(Entries(), std::vector<std::string>{"Pix_rn.dat"});
  }
}

TEST_F(SettingsFileContract, ReadsTheLineRulesFromDisk) {
  stage_->MakeFile(SettingsPath(),
                   "C:\\Pic\rtures\\\n 60\r\n1\x1a"
                   "junk\r\n");
  EXPECT_EQ(ReadSettingsLines(os(), SettingsPath(), 4),
            (std::vector<std::string>{"C:\\Pictures\\", " 60", "1", ""}));
}

TEST_F(SettingsFileContract, ReadingFailuresRaiseTheirCodes) {
  stage_->MakeFile(InRoot("held.dat"), kOldBytes);
  auto held = stage_->HoldOpen(InRoot("held.dat"));
  struct Case {
    const char* name;
    std::string path;
    std::uint32_t code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"missing file", SettingsPath(), 2, "File not found"},
      {"missing folder", InRoot("missing\\Pix_rn.dat"), 3, "Invalid filename"},
      {"held open by another program", InRoot("held.dat"), 32, "I/O error 32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectInOutError([&] { ReadSettingsLines(os(), c.path, 4); }, c.code, c.message);
    ExpectInOutError([&] { TextFileReader reader(os(), c.path); }, c.code, c.message);
  }
}

TEST_F(SettingsFileContract, ReadOnlyFileRefusesTheSave) {
  stage_->MakeFile(SettingsPath(), kOldBytes, attr::kReadOnly);
  ExpectInOutError([&] { WriteSettingsLines(os(), SettingsPath(), kNewLines); }, 5, "File access denied");
  EXPECT_EQ(stage_->ReadFile(SettingsPath()), kOldBytes);
  EXPECT_EQ(Entries(), std::vector<std::string>{"Pix_rn.dat"});
}

TEST_F(SettingsFileContract, FileHeldByAnotherProgramRefusesTheSave) {
  stage_->MakeFile(SettingsPath(), kOldBytes);
  {
    const auto held = stage_->HoldOpen(SettingsPath());
    ExpectInOutError([&] { WriteSettingsLines(os(), SettingsPath(), kNewLines); }, 32, "I/O error 32");
  }
  EXPECT_EQ(stage_->ReadFile(SettingsPath()), kOldBytes);
  EXPECT_EQ(Entries(), std::vector<std::string>{"Pix_rn.dat"});
}

TEST_F(SettingsFileContract, SaveIntoMissingFolderIsInvalidFilename) {
  ExpectInOutError([&] { WriteSettingsLines(os(), InRoot("missing\\Pix_rn.dat"), kNewLines); }, 3,
                   "Invalid filename");
  EXPECT_TRUE(Entries().empty());
}

// A failure part-way through a save leaves the old file byte for byte and no
// temporary file behind; with no old file, it leaves nothing at all.
TEST_F(SettingsFileContract, FailedSaveLeavesTheOldFileWhole) {
  struct Case {
    const char* name;
    std::function<void(FaultyOs&)> arm;
    std::uint32_t code;
    std::string message;
  };
  const std::vector<Case> cases = {
      // The four lines go in one write.
      {"the write", [](FaultyOs& f) { f.FailWrite(1, oserr::kDiskFull); }, 112, "I/O error 112"},
      {"the flush", [](FaultyOs& f) { f.FailNextFlush(oserr::kWriteFault); }, 29, "I/O error 29"},
      {"close", [](FaultyOs& f) { f.FailNextClose(oserr::kDiskFull); }, 112, "I/O error 112"},
      // The swap over the old file fails with the old one under the backup's name.
      {"replace", [](FaultyOs& f) { f.FailNextReplace(oserr::kUnableToMoveReplacement2); }, 1177,
       "I/O error 1177"},
      {"temporary file refused for another reason",
       [](FaultyOs& f) { f.FailNextOpen(OpenMode::CreateNew, oserr::kDiskFull); }, 112, "I/O error 112"},
  };
  for (const bool existing : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (existing ? ", old file there" : ", no old file"));
      if (!existing && std::string(c.name) == "replace") continue;
      if (existing) stage_->MakeFile(SettingsPath(), kOldBytes);
      FaultyOs faulty(os());
      c.arm(faulty);
      ExpectInOutError([&] { WriteSettingsLines(faulty, SettingsPath(), kNewLines); }, c.code, c.message);
      EXPECT_EQ(faulty.FailuresGiven(), 1);
      if (existing) {
        EXPECT_EQ(stage_->ReadFile(SettingsPath()), kOldBytes);
        EXPECT_EQ(Entries(), std::vector<std::string>{"Pix_rn.dat"});
        stage_->Remove(SettingsPath());
      } else {
        EXPECT_TRUE(Entries().empty());
      }
    }
  }
}

// A folder that takes no new files, where only the settings file itself was
// made writable for the user: the file is rewritten in place.
TEST_F(SettingsFileContract, FolderRefusingNewFilesFallsBackToInPlace) {
  stage_->MakeFile(SettingsPath(), kOldBytes + "and more\r\n");
  FaultyOs faulty(os());
  faulty.FailNextOpen(OpenMode::CreateNew, oserr::kAccessDenied);
  WriteSettingsLines(faulty, SettingsPath(), kNewLines);
  EXPECT_EQ(faulty.FailuresGiven(), 1);
  EXPECT_EQ(stage_->ReadFile(SettingsPath()), kNewBytes);
  EXPECT_EQ(Entries(), std::vector<std::string>{"Pix_rn.dat"});
}

TEST_F(SettingsFileContract, FolderRefusingNewFilesWithoutTheFileIsAccessDenied) {
  FaultyOs faulty(os());
  faulty.FailNextOpen(OpenMode::CreateNew, oserr::kAccessDenied);
  ExpectInOutError([&] { WriteSettingsLines(faulty, SettingsPath(), kNewLines); }, 5, "File access denied");
  EXPECT_TRUE(Entries().empty());
}

// Temporary files left by an earlier save that did not finish, or being
// written by another run, even under this process's own first name, are
// left alone and block nothing.
TEST_F(SettingsFileContract, OthersTemporaryFilesNeitherBlockNorGo) {
  const std::string own = SettingsPath() + "." + std::to_string(os().CurrentProcessId());
  stage_->MakeFile(SettingsPath(), kOldBytes);
  stage_->MakeFile(own + ".tmp", "another run's");
  stage_->MakeFile(own + "-1.bak", "another run's backup");
  WriteSettingsLines(os(), SettingsPath(), kNewLines);
  EXPECT_EQ(stage_->ReadFile(SettingsPath()), kNewBytes);
  EXPECT_EQ(stage_->ReadFile(own + ".tmp"), "another run's");
  EXPECT_EQ(stage_->ReadFile(own + "-1.bak"), "another run's backup");
  EXPECT_EQ(Entries().size(), 3u) << "nothing of this save is left";
}

TEST_F(SettingsFileContract, SettingsFileLiesBesideTheExecutable) {
  const std::string module = os().ModuleFileName();
  const std::string folder = ExecutableFolder(os());
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(module.compare(0, folder.size(), folder), 0);
  EXPECT_EQ(module.find_first_of("\\:", folder.size()), std::string::npos);
  EXPECT_EQ(SettingsFilePath(os()), folder + "Pix_rn.dat");
}

}  // namespace
}  // namespace pix::test
