// Whole unattended runs and a settings save, ended at each of their calls to
// the system in turn, by a kill and by a power cut, on both ways of writing
// (a folder that takes new files, and one that refuses them); then the
// program starts again. Pix_Rn.jpg and Pix_rn.dat must come out old or new
// and whole: always where a temporary file is swapped into place; in place,
// old until the file's one write begins and new once its flush has
// returned. What each end left is counted, and printed with
// PIX_POWER_CUT_TABLE=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "settings/Errors.h"
#include "support/FaultyOs.h"
#include "support/HeadlessBackend.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {
namespace {

constexpr const char* kSettings = "C:\\Program\\Pix_rn.dat";
constexpr const char* kTarget = "C:\\windows\\Pix_Rn.jpg";
const std::string kOldPicture(5000, 'o');

// FirstPicture: a random run where no Pix_Rn.jpg is there yet.
enum class Scenario { Random, Sequence, Save, FirstPicture };
const char* NameOf(Scenario s) {
  const char* names[] = {"random run", "sequence run", "settings save", "first picture"};
  return names[static_cast<int>(s)];
}

struct Stage {
  Scenario scenario;
  bool inPlace;

  std::string OldSettings() const {
    const char* delay = scenario == Scenario::Save ? "0" : "1";
    const char* mode = scenario == Scenario::Sequence || scenario == Scenario::Save ? "1" : "0";
    return std::string("C:\\Pics\\\r\n") + delay + "\r\n" + mode + "\r\n0\r\n";
  }
  // What the run writes to the settings file, when it writes it.
  std::string NewSettings() const {
    return scenario == Scenario::Save ? "C:\\Pics\\\r\n0\r\n1\r\n-1\r\n" : "C:\\Pics\\\r\n1\r\n1\r\n1\r\n";
  }
  std::set<std::string> NewPictures() const {
    if (scenario == Scenario::Sequence) return {Picture("b.jpg")};
    if (scenario != Scenario::Save) return {Picture("a.jpg"), Picture("b.jpg"), Picture("c.jpg")};
    return {};
  }
  static std::string Picture(const std::string& name) { return std::string(7000, name[0]) + name; }

  void Lay(MemoryOs& os) const {
    os.AddDrive('c', DriveType::Fixed, "SYSTEM");
    os.SetModuleFileName("C:\\Program\\Pix_Rn.exe");
    os.MakeDirectory("C:\\Program");
    os.MakeDirectory("C:\\windows");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
      os.WriteFileContents(std::string("C:\\Pics\\") + name, Picture(name));
    if (scenario != Scenario::FirstPicture) os.WriteFileContents(kTarget, kOldPicture);
    os.WriteFileContents(kSettings, OldSettings());
    os.RefuseNewFiles("C:\\windows", inPlace);
    os.RefuseNewFiles("C:\\Program", inPlace);
  }
};

// Runs the program on `os`: whether it halted by itself.
bool RunProgram(Os& os, MemoryOs& clock, Scenario scenario) {
  HeadlessBackend backend;
  TApplication app(os, backend);
  app.Initialize();
  auto& window = app.CreateForm<MainWindow>();
  app.Run();
  try {
    if (scenario == Scenario::Save) {
      // The first step finds the delay 0 and opens the gate.
      clock.Advance(1);
      backend.TickRunningTimers();
      window.exitButton.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
      window.exitButton.MouseUp(TMouseButton::mbLeft, {}, 1, 1);
    } else {
      for (int step = 0; step < 10; ++step) {
        clock.Advance(1);
        backend.TickRunningTimers();
      }
    }
  } catch (const HaltRequested& halt) {
    return halt.exitCode == 0;
  } catch (const Exception&) {
    // A save or an advance that failed: the window would show the error
    // box and stay open.
  }
  return false;
}

// How a file came out: "old", "new", or what is wrong with it.
std::string Verdict(const std::string& now, const std::string& old, const std::set<std::string>& news) {
  if (now == old) return "old";
  if (news.contains(now)) return "new";
  if (now.find('\0') != std::string::npos) return "zeros";
  return "torn";
}

struct Outcome {
  std::string picture, settings;
};

Outcome Look(MemoryOs& os, const Stage& stage) {
  const std::string oldPicture = stage.scenario == Scenario::FirstPicture ? "(gone)" : kOldPicture;
  return {
      Verdict(os.Exists(kTarget) ? os.ReadFileContents(kTarget) : "(gone)", oldPicture, stage.NewPictures()),
      Verdict(os.Exists(kSettings) ? os.ReadFileContents(kSettings) : "(gone)", stage.OldSettings(),
              {stage.NewSettings()})};
}

class PowerCutTest : public ::testing::TestWithParam<Stage> {};

TEST_P(PowerCutTest, EveryCallEndedLeavesTheFilesOldOrNew) {
  const Stage stage = GetParam();
  const Outcome done{
      stage.scenario == Scenario::Save ? "old" : "new",
      stage.scenario == Scenario::Sequence || stage.scenario == Scenario::Save ? "new" : "old"};
  std::vector<std::string> callAt;  // the name of each call, from 1
  // A run that has returned is on the disk, whatever a power cut does next.
  for (const UnflushedData fate : {UnflushedData::Lost, UnflushedData::Zeroed, UnflushedData::Torn}) {
    MemoryOs os;
    stage.Lay(os);
    FaultyOs counting(os);
    EXPECT_TRUE(RunProgram(counting, os, stage.scenario));
    callAt = counting.CallNames();
    callAt.insert(callAt.begin(), "");
    os.PowerCut(fate);
    const Outcome after = Look(os, stage);
    EXPECT_EQ(after.picture, done.picture) << "a power cut after the run";
    EXPECT_EQ(after.settings, done.settings) << "a power cut after the run";
  }
  const std::size_t calls = callAt.size() - 1;
  ASSERT_GT(calls, 20u);
  // In place, where each file's one write and its flush fall (the settings
  // file comes first where both are written).
  const auto nth = [&](const char* name, int which) {
    for (std::size_t n = 1; n <= calls; ++n)
      if (callAt[n] == name && --which == 0) return n;
    return calls + 1;
  };
  struct Window {
    std::size_t write, flush;
  };
  std::optional<Window> pictureWrite, settingsWrite;
  if (stage.inPlace) {
    int file = 0;
    if (done.settings == "new") ++file, settingsWrite = Window{nth("Write", file), nth("Flush", file)};
    if (done.picture == "new") ++file, pictureWrite = Window{nth("Write", file), nth("Flush", file)};
  }
  // In place: old before the file's write, new once its flush returned.
  const auto expectInPlace = [](const std::optional<Window>& w, std::size_t n, const std::string& verdict,
                                const char* file) {
    if (!w) return;
    if (n < w->write) {
      EXPECT_EQ(verdict, "old") << file << " before its write";
    } else if (n > w->flush) {
      EXPECT_EQ(verdict, "new") << file << " after its flush";
    }
  };

  struct End {
    const char* name;
    std::optional<UnflushedData> fate;  // none: a kill
  };
  const End ends[] = {{"kill", std::nullopt},
                      {"power cut, unflushed data lost", UnflushedData::Lost},
                      {"power cut, unflushed data zeroed", UnflushedData::Zeroed},
                      {"power cut, unflushed data torn", UnflushedData::Torn}};
  std::map<std::string, int> table;  // "end | call | picture | settings" -> how often
  for (const End& end : ends) {
    for (std::size_t n = 1; n <= calls; ++n) {
      MemoryOs os;
      stage.Lay(os);
      FaultyOs faulty(os);
      faulty.EndAtCall(n, [&] {
        if (end.fate) os.PowerCut(*end.fate);
      });
      RunProgram(faulty, os, stage.scenario);
      ASSERT_TRUE(faulty.Ended()) << "call " << n << " of " << calls;
      const std::string where = faulty.LastCall();
      const Outcome after = Look(os, stage);
      SCOPED_TRACE(std::string(end.name) + " at call " + std::to_string(n) + " (" + where + ")");
      // The only call that writes into the files themselves in place.
      const bool insideTheWrite = stage.inPlace && where == "Write";
      if (!stage.inPlace || (!end.fate && !insideTheWrite)) {
        EXPECT_TRUE(after.picture == "old" || after.picture == "new") << after.picture;
        EXPECT_TRUE(after.settings == "old" || after.settings == "new") << after.settings;
      }
      EXPECT_EQ(where, callAt[n]);
      expectInPlace(pictureWrite, n, after.picture, "Pix_Rn.jpg");
      expectInPlace(settingsWrite, n, after.settings, "Pix_rn.dat");
      if (after.picture != "old" || after.settings != "old")
        ++table[std::string(end.name) + " | " + where + " | Pix_Rn.jpg " + after.picture + " | Pix_rn.dat " +
                after.settings];

      // The program starts again on what the end left, and runs to its end
      // where the settings came out whole (damaged ones open the window).
      os.SetProcessId(2000);
      os.Advance(1000);
      const bool whole = after.settings == "old" || after.settings == "new";
      bool halted = false;
      EXPECT_NO_THROW(halted = RunProgram(os, os, stage.scenario));
      if (whole) {
        EXPECT_TRUE(halted);
      }
      EXPECT_EQ(os.OpenFileCount(), 0u);
    }
  }
  if (std::getenv("PIX_POWER_CUT_TABLE")) {
    std::cout << NameOf(stage.scenario) << (stage.inPlace ? ", in place" : ", beside and moved") << ": "
              << calls << " calls; ends that left a file other than old:\n";
    for (const auto& [row, count] : table)
      std::cout << "  " << row << " | " << count << "\n";
  }
}

INSTANTIATE_TEST_SUITE_P(BothWays, PowerCutTest,
                         ::testing::Values(Stage{Scenario::Random, false}, Stage{Scenario::Random, true},
                                           Stage{Scenario::Sequence, false}, Stage{Scenario::Sequence, true},
                                           Stage{Scenario::Save, false}, Stage{Scenario::Save, true},
                                           Stage{Scenario::FirstPicture, false}),
                         [](const auto& info) {
                           std::string name = NameOf(info.param.scenario);
                           std::erase(name, ' ');
                           return name + (info.param.inPlace ? "InPlace" : "BesideAndSwapped");
                         });

// An administrator's run (the folders take new files) and then a standard
// user's (they do not, and only what the installer granted is writable):
// both files keep the Users group's write access and their attributes, so
// the second run still writes them.
TEST(RightsTest, AnAdministratorsRunLeavesTheFilesWritableForUsers) {
  MemoryOs os;
  Stage{Scenario::Sequence, false}.Lay(os);
  os.SetAttributes(kTarget, attr::kArchive | attr::kHidden);
  os.SetAttributes(kSettings, attr::kArchive | attr::kSystem);
  EXPECT_TRUE(RunProgram(os, os, Scenario::Sequence));
  EXPECT_EQ(os.ReadFileContents(kTarget), Stage::Picture("b.jpg"));
  for (const auto& [file, attributes] : {std::pair{kTarget, attr::kArchive | attr::kHidden},
                                         std::pair{kSettings, attr::kArchive | attr::kSystem}}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(os.UsersMayWrite(file));
    EXPECT_EQ(os.GetFileAttributes(file).value, attributes);
  }
  os.SetStandardUser(true);
  os.RefuseNewFiles("C:\\windows");
  os.RefuseNewFiles("C:\\Program");
  os.Advance(1000);
  EXPECT_TRUE(RunProgram(os, os, Scenario::Sequence));
  EXPECT_EQ(os.ReadFileContents(kTarget), Stage::Picture("c.jpg"));
  EXPECT_EQ(os.ReadFileContents(kSettings), "C:\\Pics\\\r\n1\r\n1\r\n2\r\n");
}

}  // namespace
}  // namespace pix::test
