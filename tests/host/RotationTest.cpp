// The rotation core on the in-memory machine: the countdown's steps, the
// delay and mode rules, the sequence advance, the random pick, the
// installation and the file replace under it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Countdown.h"
#include "core/PictureFolder.h"
#include "core/Rotation.h"
#include "settings/Errors.h"
#include "settings/SettingsFile.h"
#include "support/FaultyOs.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {
namespace {

constexpr const char* kTarget = "C:\\windows\\Pix_Rn.jpg";
constexpr const char* kSettings = "C:\\Program\\Pix_rn.dat";

// The temporary files and backups a replace left in the Windows directory.
std::vector<std::string> LeftBeside(MemoryOs& os) {
  std::vector<std::string> left;
  for (const char* pattern : {"C:\\windows\\*.tmp", "C:\\windows\\*.bak"})
    for (const DirEntry& entry : os.FindFiles(pattern).value)
      left.push_back(entry.name);
  return left;
}

TEST(CountdownTest, EachStepSaysWhatHappened) {
  struct Case {
    std::string value;
    SelectionMode mode;
    StepOutcome outcome;
    std::string after;
  };
  const std::vector<Case> cases = {
      {"0", kRandomMode, StepOutcome::Stopped, "0"},
      {"0", kSequenceMode, StepOutcome::Stopped, "0"},  // "0" comes before the advance
      {"00", kSequenceMode, StepOutcome::AdvanceSequence, "00"},
      {"00", kSequenceAdvancedMode, StepOutcome::Stopped, "00"},
      {"5", kSequenceMode, StepOutcome::AdvanceSequence, "5"},
      {"5", kRandomMode, StepOutcome::Counted, "4"},
      {"5", kSequenceAdvancedMode, StepOutcome::Counted, "4"},
      {"$40", kRandomMode, StepOutcome::Counted, "63"},
      {" 60", kRandomMode, StepOutcome::Counted, "59"},
      {"60abc", kRandomMode, StepOutcome::Counted, "59"},
      {"2", kRandomMode, StepOutcome::Counted, "1"},
      {"1", kRandomMode, StepOutcome::Install, "1"},
      {"-5", kRandomMode, StepOutcome::Stopped, "-5"},
      {"abc", kRandomMode, StepOutcome::Stopped, "abc"},
      {"", kRandomMode, StepOutcome::Stopped, ""},
      {"120", 7, StepOutcome::Idle, "120"},  // a hand-edited mode never counts
      {"120", -1, StepOutcome::Idle, "120"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.value + "\" in mode " + std::to_string(c.mode));
    Countdown countdown;
    countdown.SetValue(c.value);
    EXPECT_EQ(countdown.Step(1, c.mode), c.outcome);
    EXPECT_EQ(countdown.Value(), c.after);
  }
}

TEST(CountdownTest, AStepNeedsANewMillisecondReading) {
  Countdown countdown;
  countdown.SetValue("9");
  // The clock's first reading counts as the last step's when it is 0.
  EXPECT_EQ(countdown.Step(0, kRandomMode), StepOutcome::Ignored);
  EXPECT_EQ(countdown.Step(5, kRandomMode), StepOutcome::Counted);
  EXPECT_EQ(countdown.Step(5, kRandomMode), StepOutcome::Ignored);
  EXPECT_EQ(countdown.Step(4, kRandomMode), StepOutcome::Counted) << "any change, also backwards";
  EXPECT_EQ(countdown.Value(), "7");
}

TEST(CountdownTest, TheDelayRuleOnEnter) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0", "0"},
      {"", "0"},
      {"abc", "0"},
      {"-5", "50"},
      {"1", "50"},
      {"49", "50"},
      {"50", "50"},
      {" 60", " 60"},
      {"$40", "$40"},
      {"60abc", "60abc"},
      {"2147483648", "50"},  // reads as -2147483648
      {"2147483647", "2147483647"},
  };
  for (const auto& [typed, committed] : cases)
    EXPECT_EQ(CommittedDelay(typed), committed) << "typed \"" << typed << "\"";
}

TEST(CountdownTest, TheSwitchesAndTheSavedMode) {
  struct Case {
    SelectionMode mode;
    SelectionMode afterRandom, afterSequence;
    std::string saved;
  };
  const std::vector<Case> cases = {
      {kRandomMode, kRandomMode, kSequenceMode, "0"},
      {kSequenceMode, kRandomMode, kSequenceMode, "1"},
      {kSequenceAdvancedMode, kRandomMode, kSequenceAdvancedMode, "1"},
      {7, 7, 7, "7"},
      {-3, -3, -3, "-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    EXPECT_EQ(AfterRandomSwitch(c.mode), c.afterRandom);
    EXPECT_EQ(AfterSequenceSwitch(c.mode), c.afterSequence);
    EXPECT_EQ(SavedModeText(c.mode), c.saved);
  }
}

class RotationTest : public ::testing::Test {
 protected:
  RotationTest() {
    os.AddDrive('c', DriveType::Fixed, "SYSTEM");
    os.MakeDirectory("C:\\Program");
    os.MakeDirectory("C:\\windows");
    os.SetModuleFileName("C:\\Program\\Pix_Rn.exe");
  }
  // A picture folder holding these files, each holding its own name.
  PictureFolder& Folder(const std::string& folder, const std::vector<std::string>& names) {
    if (os.Exists(folder)) os.Remove(folder);
    os.MakeDirectory(folder);
    for (const auto& name : names)
      os.WriteFileContents(folder + "\\" + name, "JPEG " + name);
    pictures.emplace(os);
    pictures->SetMask("*.jpg");
    pictures->SetFolderPath(folder);
    return *pictures;
  }

  MemoryOs os;
  std::optional<PictureFolder> pictures;
};

TEST_F(RotationTest, TheSequenceAdvancesFromTheStoredIndexAndWraps) {
  struct Case {
    std::string stored;
    int selected;
  };
  const std::vector<Case> cases = {
      {"-1", 0}, {"0", 1},  {"1", 2},          {"2", 0},     // past the last: the first again
      {"4", 0},  {"-7", 0}, {"2147483647", 0}, {"junk", 1},  // junk reads as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    PictureFolder& folder = Folder("C:\\Pics", {"c.jpg", "a.jpg", "b.jpg"});
    os.WriteFileContents(kSettings, "old\r\nold\r\nold\r\n" + c.stored + "\r\n");
    AdvanceSequence(os, folder, kSettings, {"C:\\Pics\\", "120", kSequenceAdvancedMode});
    EXPECT_EQ(folder.SelectedIndex(), c.selected);
    EXPECT_EQ(os.ReadFileContents(kSettings),
              "C:\\Pics\\\r\n120\r\n1\r\n" + std::to_string(c.selected) + "\r\n");
  }
}

TEST_F(RotationTest, AnAdvanceThatCannotWriteRaisesAndKeepsTheFile) {
  PictureFolder& folder = Folder("C:\\Pics", {"a.jpg"});
  os.WriteFileContents(kSettings, "C:\\Pics\\\r\n1\r\n1\r\n-1\r\n");
  const auto held = os.HoldOpen(kSettings);
  EXPECT_THROW(AdvanceSequence(os, folder, kSettings, {"C:\\Pics\\", "1", kSequenceAdvancedMode}),
               EInOutError);
  EXPECT_EQ(os.ReadFileContents(kSettings), "C:\\Pics\\\r\n1\r\n1\r\n-1\r\n");
}

TEST_F(RotationTest, TheRandomPickFollowsItsGenerator) {
  struct Case {
    std::optional<std::int64_t> counter;
    std::uint32_t ticks;
    std::size_t pictures;
    int picked;
  };
  // state = seed * 134775813 + 1 (mod 2^32); index = (n * state) >> 32.
  const std::vector<Case> cases = {
      {0, 0, 3, 0},                       // state 1
      {0xFFFFFFFFLL, 0, 3, 2},            // state 4160191484: 3 * state >> 32 = 2
      {0x1FFFFFFFFLL, 0, 3, 2},           // only the low 32 bits seed
      {std::nullopt, 0xFFFFFFFFu, 3, 2},  // no counter: the tick count seeds
      {12345, 0, 1, 0},                   // one picture is always taken
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pictures);
    os.SetPerformanceCounter(c.counter);
    os.SetTickCount(c.ticks);
    SeededDraws draws(os);
    EXPECT_EQ(draws.Draw(static_cast<int>(c.pictures)), c.picked);
  }
}

// `copies` pictures of one content, then one of another.
std::vector<std::string> WithLast(std::size_t copies, const std::string& copy, const std::string& last) {
  std::vector<std::string> contents(copies, copy);
  contents.push_back(last);
  return contents;
}

// Draws that follow a script and then give 0, noting the bound of each.
struct ScriptedDraws final : UniformDraws {
  std::vector<int> script, bounds;
  int Draw(int bound) override {
    bounds.push_back(bound);
    script.resize(std::max(script.size(), bounds.size()));
    return script[bounds.size() - 1];
  }
};

// A random run changes the picture on the screen: over all draws, weighed as
// uniform draws weigh them, it takes each picture that can equally often.
TEST_F(RotationTest, TheRandomPickPassesOverTheInstalledPicture) {
  struct Case {
    std::string what;
    std::vector<std::string> contents;  // of a.jpg, b.jpg, ... in order
    std::string installed;              // what Pix_Rn.jpg holds; "" for none
    std::string unreadable;             // the pictures another program holds, by letter
    std::string taken;                  // the pictures a run takes, by letter; "-" for none
  };
  const std::string longer(100000, 'p');
  const std::vector<Case> cases = {
      {"one picture, on the screen", {"one"}, "one", "", "-"},
      {"three, the first on the screen", {"one", "two", "six"}, "one", "", "bc"},
      {"four, the second on the screen", {"p1", "p2", "p3", "p4"}, "p2", "", "acd"},
      {"four, no Pix_Rn.jpg", {"p1", "p2", "p3", "p4"}, "", "", "abcd"},
      {"copies of the picture on the screen", {"one", "one", "two", "one"}, "one", "", "c"},
      {"the last byte of a long picture differs", {longer + "x", longer + "y"}, longer + "x", "", "b"},
      {"an unreadable picture is passed over", {"p1", "p2", "p3", "p4"}, "p1", "c", "bd"},
      {"an empty picture is passed over", {"", "p2"}, "p1", "", "b"},
  };
  const auto stage = [&](const Case& c) {
    if (os.Exists("C:\\Pics")) os.Remove("C:\\Pics");
    for (std::size_t i = 0; i < c.contents.size(); ++i)
      os.WriteFileContents("C:\\Pics\\" + std::string(1, static_cast<char>('a' + i)) + ".jpg", c.contents[i]);
    if (os.Exists(kTarget)) os.Remove(kTarget);
    if (!c.installed.empty()) os.WriteFileContents(kTarget, c.installed);
    pictures.emplace(os);
    pictures->SetMask("*.jpg");
    pictures->SetFolderPath("C:\\Pics");
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stage(c);
    std::vector<std::shared_ptr<void>> held;
    for (const char letter : c.unreadable)
      held.push_back(os.HoldOpen("C:\\Pics\\" + std::string(1, letter) + ".jpg"));
    const int all = 24;  // 4!: a first draw among n takes all / n, the next one 1 / (n - 1) of that...
    std::map<char, int> shares, fair;
    for (const char letter : c.taken)
      fair[letter] = all / static_cast<int>(c.taken.size());
    ScriptedDraws draws;
    do {
      draws.bounds.clear();
      const std::optional<std::string> picture = PickAtRandom(os, *pictures, draws);
      const int index = pictures->SelectedIndex();
      EXPECT_EQ(picture.value_or("-"), index < 0 ? "-" : c.contents[static_cast<std::size_t>(index)]);
      int share = all;
      for (const int bound : draws.bounds)
        share /= bound;
      shares[index < 0 ? '-' : static_cast<char>('a' + index)] += share;
      // The next draws: the last that can give more does, and those after it go.
      while (!draws.script.empty() && draws.script.back() + 1 == draws.bounds[draws.script.size() - 1])
        draws.script.pop_back();
      if (!draws.script.empty()) ++draws.script.back();
    } while (!draws.script.empty());
    EXPECT_EQ(shares, fair);
  }
  // Draws of 0 take the pictures in name order: a 16th may be taken, a 17th is never drawn.
  for (const int copies : {kMostRandomDraws - 1, kMostRandomDraws}) {
    stage({"", WithLast(static_cast<std::size_t>(copies), "one", "two"), "one", "", ""});
    ScriptedDraws lowest;
    EXPECT_EQ(PickAtRandom(os, *pictures, lowest).value_or("-"), copies < kMostRandomDraws ? "two" : "-");
    EXPECT_EQ(std::ssize(lowest.bounds), kMostRandomDraws);
  }
}

TEST_F(RotationTest, InstallationNeverLosesTheOldPicture) {
  struct Case {
    std::string what;
    std::string source;
    std::function<void(MemoryOs&)> fault;  // breaks something before the installation
    const char* held;                      // a file another program holds meanwhile, or nullptr
    InstallOutcome outcome;
    std::string after;  // what Pix_Rn.jpg holds afterwards
  };
  const auto none = [](MemoryOs&) {};
  const std::string a = "C:\\Pics\\a.jpg";
  const std::vector<Case> cases = {
      {"a picture", a, none, nullptr, InstallOutcome::Installed, "JPEG a.jpg"},
      {"no picture chosen", "", none, nullptr, InstallOutcome::Nothing, "old picture"},
      {"the picture vanished", a, [&](MemoryOs& m) { m.Remove(a); }, nullptr, InstallOutcome::Nothing,
       "old picture"},
      {"the picture is held open", a, none, a.c_str(), InstallOutcome::Kept, "old picture"},
      {"Pix_Rn.jpg is held open", a, none, kTarget, InstallOutcome::Kept, "old picture"},
      {"Pix_Rn.jpg is read-only", a, [](MemoryOs& m) { m.SetAttributes(kTarget, attr::kReadOnly); }, nullptr,
       InstallOutcome::Kept, "old picture"},
      // Only the one file was granted: it is overwritten in place.
      {"the Windows directory takes no new file", a, [](MemoryOs& m) { m.RefuseNewFiles("C:\\windows"); },
       nullptr, InstallOutcome::Installed, "JPEG a.jpg"},
      {"the write in place fails", a,
       [](MemoryOs& m) {
         m.RefuseNewFiles("C:\\windows");
         m.FailWrite(1, oserr::kWriteFault);
       },
       nullptr, InstallOutcome::Damaged, "old picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.ClearFaults();
    Folder("C:\\Pics", {"a.jpg"});
    if (os.Exists(kTarget)) os.Remove(kTarget);
    os.WriteFileContents(kTarget, "old picture");
    c.fault(os);
    const std::shared_ptr<void> hold = c.held ? os.HoldOpen(c.held) : nullptr;
    EXPECT_EQ(InstallPicture(os, os.AnsiToWide(c.source)), c.outcome);
    EXPECT_EQ(os.ReadFileContents(kTarget), c.after);
    EXPECT_TRUE(LeftBeside(os).empty()) << "nothing is left beside it";
  }
}

TEST_F(RotationTest, TheDesktopIsAskedToReloadOnlyItsOwnPicture) {
  struct Case {
    std::string what;
    std::string wallpaper;
    bool refused;  // the install fails
    std::vector<std::string> reloads;
  };
  const std::vector<Case> cases = {
      {"the desktop shows Pix_Rn.jpg", kTarget, false, {kTarget}},
      {"in other letter case", "c:\\WINDOWS\\pix_rn.JPG", false, {kTarget}},
      {"another picture", "C:\\Users\\me\\beach.jpg", false, {}},
      {"no picture", "", false, {}},
      {"nothing was installed", kTarget, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Folder("C:\\Pics", {"a.jpg"});
    if (os.Exists(kTarget)) os.Remove(kTarget);
    os.WriteFileContents(kTarget, "old picture");
    os.SetWallpaperSetting(c.wallpaper);
    const std::size_t before = os.WallpaperReloads().size();
    std::shared_ptr<void> hold;
    if (c.refused) hold = os.HoldOpen(kTarget);
    InstallPicture(os, os.AnsiToWide("C:\\Pics\\a.jpg"));
    const std::vector<std::string> reloads(os.WallpaperReloads().begin() + static_cast<long>(before),
                                           os.WallpaperReloads().end());
    EXPECT_EQ(reloads, c.reloads);
  }
}

TEST_F(RotationTest, APathThatWouldBeCutIsNotUsed) {
  // 259 characters in all; its first 254 name another file that exists.
  const std::string folder = "C:\\" + std::string(230, 'p');
  const std::string cutName(20, 'x');
  Folder(folder, {cutName + "y.jpg"});
  os.WriteFileContents(folder + "\\" + cutName, "WRONG FILE");
  os.WriteFileContents(kTarget, "old picture");
  EXPECT_EQ(InstallPicture(os, os.AnsiToWide(folder + "\\" + cutName + "y.jpg")), InstallOutcome::Nothing);
  EXPECT_EQ(os.ReadFileContents(kTarget), "old picture");

  // A Windows directory whose temporary name would not fit is not used either.
  os.MakeDirectory("C:\\" + std::string(238, 'w'));
  os.SetWindowsDirectory("C:\\" + std::string(238, 'w'));
  EXPECT_EQ(InstallPicture(os, os.AnsiToWide(folder + "\\" + cutName)), InstallOutcome::Nothing);
}

// Both ways of writing a file whole, failing at each of their steps: the
// old content stays, byte for byte, and no file of the run's own is left;
// once an in-place write has begun, a failure is reported as damage.
TEST_F(RotationTest, AReplaceLeavesTheOldFileWholeOnEveryFailure) {
  struct Case {
    std::string what;
    bool inPlace;  // the folder takes no new file
    std::function<void(FaultyOs&)> fault;
    std::uint32_t result;
    std::string after;
    bool damaged = false;
  };
  const std::vector<Case> cases = {
      {"written beside it", false, [](FaultyOs&) {}, oserr::kSuccess, "new content"},
      {"written in place", true, [](FaultyOs&) {}, oserr::kSuccess, "new content"},
      {"the temporary file cannot be made", false,
       [](FaultyOs& f) { f.FailNextOpen(OpenMode::CreateNew, oserr::kDiskFull); }, oserr::kDiskFull,
       "the old content, longer"},
      {"its write fails", false, [](FaultyOs& f) { f.FailWrite(1, oserr::kDiskFull); }, oserr::kDiskFull,
       "the old content, longer"},
      {"its flush fails", false, [](FaultyOs& f) { f.FailNextFlush(oserr::kWriteFault); }, oserr::kWriteFault,
       "the old content, longer"},
      {"its close fails", false, [](FaultyOs& f) { f.FailNextClose(oserr::kWriteFault); }, oserr::kWriteFault,
       "the old content, longer"},
      {"the swap fails, both files keep their names", false,
       [](FaultyOs& f) { f.FailNextReplace(oserr::kUnableToMoveReplacement); },
       oserr::kUnableToMoveReplacement, "the old content, longer"},
      {"the swap fails, the old file under the backup's name", false,
       [](FaultyOs& f) { f.FailNextReplace(oserr::kUnableToMoveReplacement2); },
       oserr::kUnableToMoveReplacement2, "the old content, longer"},
      {"the rights refuse the swap: written in place", false,
       [](FaultyOs& f) { f.FailNextReplace(oserr::kUnableToRemoveReplaced); }, oserr::kSuccess,
       "new content"},
      {"in place, the target cannot be opened", true,
       [](FaultyOs& f) { f.FailNextOpen(OpenMode::WriteExisting, oserr::kAccessDenied); },
       oserr::kAccessDenied, "the old content, longer"},
      {"in place, another writer lets go in time", true,
       [](FaultyOs& f) { f.FailNextOpen(OpenMode::WriteExisting, oserr::kSharingViolation); },
       oserr::kSuccess, "new content"},
      {"in place, the write fails", true, [](FaultyOs& f) { f.FailWrite(1, oserr::kDiskFull); },
       oserr::kDiskFull, "the old content, longer", true},
      {"in place, the flush fails", true, [](FaultyOs& f) { f.FailNextFlush(oserr::kWriteFault); },
       oserr::kWriteFault, "new content", true},
      {"in place, the free space cannot be measured", true,
       [](FaultyOs& f) { f.FailNextDiskFreeSpace(oserr::kNotReady); }, oserr::kNotReady,
       "the old content, longer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.ClearFaults();
    os.RefuseNewFiles("C:\\windows", false);
    os.WriteFileContents(kTarget, "the old content, longer");
    os.RefuseNewFiles("C:\\windows", c.inPlace);
    FaultyOs faulty(os);
    c.fault(faulty);
    const ReplaceResult replaced = ReplaceFileContents(faulty, kTarget, "new content");
    EXPECT_EQ(replaced.error, c.result);
    EXPECT_EQ(replaced.damaged, c.damaged);
    EXPECT_EQ(os.ReadFileContents(kTarget), c.after);
    EXPECT_TRUE(LeftBeside(os).empty());
    EXPECT_EQ(os.OpenFileCount(), 0u);
    if (c.result == oserr::kSuccess) {
      EXPECT_TRUE(os.AllOnDisk()) << "a success is on the disk when the call returns";
    }
  }

  // A target that does not exist yet is never written in place.
  os.RefuseNewFiles("C:\\windows");
  EXPECT_EQ(ReplaceFileContents(os, "C:\\windows\\new.jpg", "new").error, oserr::kAccessDenied);
  EXPECT_FALSE(os.Exists("C:\\windows\\new.jpg"));
}

// A file held by another writer throughout: the wait is bounded, and the
// old content stays.
TEST_F(RotationTest, AnInPlaceWriteWaitsForAnotherWriterOnlySoLong) {
  os.WriteFileContents(kTarget, "old");
  os.RefuseNewFiles("C:\\windows");
  const auto held = os.HoldOpen(kTarget);
  const std::uint32_t before = os.GetTickCount();
  EXPECT_EQ(ReplaceFileContents(os, kTarget, "new").error, oserr::kSharingViolation);
  const std::uint32_t waited = os.GetTickCount() - before;
  EXPECT_GE(waited, kWaitForOtherWriterMs);
  EXPECT_LT(waited, kWaitForOtherWriterMs + 1000);
  EXPECT_EQ(os.ReadFileContents(kTarget), "old");
}

// A picture that cannot be read whole is nothing to install, on either way.
TEST_F(RotationTest, APictureReadOnlyInPartIsNotInstalled) {
  os.MakeDirectory("C:\\Pics");
  const std::string picture(100000, 'p');
  os.WriteFileContents("C:\\Pics\\a.jpg", picture);
  struct Case {
    std::string what;
    std::uint32_t readError;  // 0: the file seems to end early
    bool inPlace;
  };
  const std::vector<Case> cases = {
      {"a read fails part way", oserr::kReadFault, false},
      {"a read fails part way, in place", oserr::kReadFault, true},
      {"the file ends early", 0, false},
      {"the file ends early, in place", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.RefuseNewFiles("C:\\windows", false);
    os.WriteFileContents(kTarget, "old picture");
    os.RefuseNewFiles("C:\\windows", c.inPlace);
    FaultyOs faulty(os);
    faulty.FailReadsAfter(65536, c.readError);
    EXPECT_EQ(InstallPicture(faulty, L"C:\\Pics\\a.jpg"), InstallOutcome::Kept);
    EXPECT_EQ(os.ReadFileContents(kTarget), "old picture");
    EXPECT_TRUE(os.FindFiles("C:\\windows\\*.tmp").value.empty());
  }
  FaultyOs whole(os);
  EXPECT_EQ(InstallPicture(whole, L"C:\\Pics\\a.jpg"), InstallOutcome::Installed);
  EXPECT_TRUE(os.ReadFileContents(kTarget) == picture);
}

TEST_F(RotationTest, AFullDiskLeavesThePictureAndTheSettingsWhole) {
  // The old files take one 4 KiB cluster each; the new ones one or two.
  const std::string oldPicture(4096, 'o'), oldSettings(4096, 's');
  struct Case {
    std::string what;
    std::size_t newLength;
    std::uint64_t freeBytes;
    bool refuseNewFiles;  // the Windows and program folders take no new file
    bool written;
  };
  const std::vector<Case> cases = {
      {"in place, one cluster more than the disk has", 4097, 0, true, false},
      {"in place, the old cluster is enough", 4096, 0, true, true},
      {"in place, the free cluster is enough", 8192, 4096, true, true},
      {"in place, a byte too many", 8193, 4096, true, false},
      {"beside it, no room for the temporary file", 4097, 0, false, false},
      {"beside it, room for both", 4097, 8192, false, true},
  };
  const auto noLimits = [&] {
    os.LeaveFreeSpace('C', std::nullopt);
    os.RefuseNewFiles("C:\\windows", false);
    os.RefuseNewFiles("C:\\Program", false);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto stage = [&] {
      noLimits();
      os.WriteFileContents(kTarget, oldPicture);
      os.WriteFileContents(kSettings, oldSettings);
      os.WriteFileContents("C:\\Pics\\new.jpg", std::string(c.newLength, 'n'));
      os.RefuseNewFiles("C:\\windows", c.refuseNewFiles);
      os.RefuseNewFiles("C:\\Program", c.refuseNewFiles);
      os.LeaveFreeSpace('C', c.freeBytes);
    };

    stage();
    EXPECT_EQ(InstallPicture(os, L"C:\\Pics\\new.jpg"),
              c.written ? InstallOutcome::Installed : InstallOutcome::Kept);
    EXPECT_TRUE(os.ReadFileContents(kTarget) == (c.written ? std::string(c.newLength, 'n') : oldPicture));

    // Four lines as long as the new picture in all.
    stage();
    const std::vector<std::string> lines = {std::string(c.newLength - 10, 'x'), "1", "0", ""};
    std::uint32_t error = 0;
    try {
      WriteSettingsLines(os, kSettings, lines);
    } catch (const EInOutError& e) {
      error = e.ErrorCode();
    }
    EXPECT_EQ(error, c.written ? oserr::kSuccess : oserr::kDiskFull);
    EXPECT_TRUE(os.ReadFileContents(kSettings) ==
                (c.written ? lines[0] + "\r\n1\r\n0\r\n\r\n" : oldSettings));

    noLimits();
    EXPECT_EQ(os.FindFiles("C:\\windows\\*.tmp").value.size(), 0u);
    EXPECT_EQ(os.FindFiles("C:\\Program\\*.tmp").value.size(), 0u);
  }
}

TEST_F(RotationTest, EachRunHasATemporaryFileOfItsOwnAndLeavesOthersAlone) {
  Folder("C:\\Pics", {"a.jpg"});
  os.WriteFileContents(kTarget, "old picture");
  // What other runs (or a crashed one) left: a file and a folder under the
  // names this run would take first.
  os.SetProcessId(77);
  os.WriteFileContents("C:\\windows\\Pix_Rn.jpg.77.tmp", "another run's, same id");
  os.MakeDirectory("C:\\windows\\Pix_Rn.jpg.77-1.tmp");
  EXPECT_EQ(InstallPicture(os, os.AnsiToWide("C:\\Pics\\a.jpg")), InstallOutcome::Installed);
  EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG a.jpg");
  EXPECT_EQ(os.ReadFileContents("C:\\windows\\Pix_Rn.jpg.77.tmp"), "another run's, same id");
  EXPECT_TRUE(os.Exists("C:\\windows\\Pix_Rn.jpg.77-1.tmp"));
  EXPECT_FALSE(os.Exists("C:\\windows\\Pix_Rn.jpg.77-2.tmp")) << "its own is gone";
}

// A kill inside the swap can leave the old picture under its backup's name
// and none under its own: the next run puts it back, with its rights, first.
TEST_F(RotationTest, ABackupLeftWithoutItsTargetGoesBack) {
  Folder("C:\\Pics", {"a.jpg"});
  os.WriteFileContents("C:\\windows\\Pix_Rn.jpg.41.bak", "old picture");
  os.WriteFileContents("C:\\windows\\Pix_Rn.jpg.41.tmp", "JPEG a.jpg");
  EXPECT_EQ(InstallPicture(os, L"C:\\Pics\\a.jpg"), InstallOutcome::Installed);
  EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG a.jpg");
  EXPECT_TRUE(os.UsersMayWrite(kTarget));
  EXPECT_EQ(LeftBeside(os), std::vector<std::string>{"Pix_Rn.jpg.41.tmp"}) << "another run's file stays";
}

TEST_F(RotationTest, AnEmptyPictureIsNotInstalled) {
  Folder("C:\\Pics", {});
  os.WriteFileContents("C:\\Pics\\empty.jpg", "");
  os.WriteFileContents(kTarget, "old picture");
  EXPECT_EQ(InstallPicture(os, os.AnsiToWide("C:\\Pics\\empty.jpg")), InstallOutcome::Nothing);
  EXPECT_EQ(os.ReadFileContents(kTarget), "old picture");
}

// A picture whose name lies beyond the ANSI code page takes its turn in the
// sequence like the others, and its own bytes are installed.
TEST_F(RotationTest, TheSequenceInstallsAPictureNamedBeyondTheCodePage) {
  const std::wstring wideName = L"\u65E5\u672C.jpg";
  PictureFolder& folder = Folder("C:\\Pics", {"z.jpg", "a.jpg", "\xE9.jpg"});
  os.WriteFileContents(MemoryOs::SpelledName(L"C:\\Pics\\" + wideName), "JPEG wide");
  folder.Reload();
  os.WriteFileContents(kSettings, "C:\\Pics\\\r\n1\r\n1\r\n-1\r\n");
  std::vector<std::string> installed;
  for (int run = 0; run < 5; ++run) {
    SCOPED_TRACE(run);
    AdvanceSequence(os, folder, kSettings, {"C:\\Pics\\", "1", kSequenceAdvancedMode});
    ASSERT_EQ(InstallPicture(os, folder.SelectedFilePath()), InstallOutcome::Installed);
    installed.push_back(os.ReadFileContents(kTarget));
  }
  EXPECT_EQ(installed, (std::vector<std::string>{"JPEG a.jpg", "JPEG \xE9.jpg", "JPEG z.jpg", "JPEG wide",
                                                 "JPEG a.jpg"}));
  EXPECT_EQ(os.ReadFileContents(kSettings), "C:\\Pics\\\r\n1\r\n1\r\n0\r\n");
}

}  // namespace
}  // namespace pix::test
