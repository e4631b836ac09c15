// The countdown, the sequence advance, the random pick and the installation,
// headless, with a clock the test moves.
#include <functional>

#include "MainWindowFixture.h"

namespace pix::test {
namespace {

constexpr const char* kPics = "C:\\Pics";

TEST_F(MainWindowTest, DelayIsCountedInStepsAndTheLastOneInstalls) {
  struct Case {
    std::string delay;
    std::string mode;
    int steps;  // the step on which the run ends
    bool installs;
    std::string shownAfterFirst;  // tim after the first step ("" when it ended there)
  };
  const std::vector<Case> cases = {
      {"1", "0", 1, true, ""},      {"3", "0", 3, true, "2"},
      {"0", "0", 1, false, ""},     {"00", "0", 1, false, ""},
      {"abc", "0", 1, false, ""},   {"-5", "0", 1, false, ""},
      {"$40", "0", 64, true, "63"}, {" 60", "0", 60, true, "59"},
      {"1", "1", 2, true, "1"},     // the first step advances, the second installs
      {"0", "1", 1, false, ""},     // "0" stops before the advance
      {"00", "1", 2, false, "00"},  // the advance comes first, then 00 reads as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delay + " in mode " + c.mode);
    Pictures(kPics, {"a.jpg"});
    if (os.Exists(kTarget)) os.Remove(kTarget);
    Settings({"C:\\Pics\\", c.delay, c.mode, "-1"});
    TForm1& window = Start();
    std::optional<int> exitCode = Step();
    if (!exitCode && backend.IsRunning(window.cyber)) {
      EXPECT_EQ(window.tim.Caption(), c.shownAfterFirst);
    }
    int steps = 1;
    if (!exitCode && backend.IsRunning(window.cyber)) steps += StepsUntilEnd(200, exitCode);
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(exitCode.has_value(), c.installs);
    if (c.installs) {
      EXPECT_EQ(exitCode, std::optional<int>(0));
    }
    EXPECT_EQ(os.Exists(kTarget), c.installs);
  }
}

TEST_F(MainWindowTest, EventsWithinOneMillisecondAreNoSteps) {
  Pictures(kPics, {"a.jpg"});
  Settings({"C:\\Pics\\", "5", "0"});
  TForm1& window = Start();
  // The clock stands at millisecond 0, which is where the last step "was".
  backend.TickRunningTimers();
  EXPECT_EQ(window.tim.Caption(), "5");
  os.Advance(1);
  backend.TickRunningTimers();
  backend.TickRunningTimers();
  EXPECT_EQ(window.tim.Caption(), "4") << "one step for one new millisecond reading";
}

TEST_F(MainWindowTest, SequenceWalksThePicturesAndWraps) {
  Pictures(kPics, {"c.jpg", "a.jpg", "b.jpg"});
  Settings({"C:\\Pics\\", "1", "1", "-1"});
  const std::vector<std::string> installed = {"a.jpg", "b.jpg", "c.jpg", "a.jpg", "b.jpg"};
  for (std::size_t run = 0; run < installed.size(); ++run) {
    SCOPED_TRACE(run);
    Start();
    std::optional<int> exitCode;
    StepsUntilEnd(10, exitCode);
    ASSERT_EQ(exitCode, std::optional<int>(0));
    EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG " + installed[run]);
    EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n1\r\n1\r\n" + std::to_string(run % 3) + "\r\n");
  }
}

TEST_F(MainWindowTest, AStoredIndexOutsideThePicturesStartsAgainAtTheFirst) {
  Pictures(kPics, {"a.jpg", "b.jpg", "c.jpg"});
  for (const std::string stored : {"4", "2", "-7", "2147483647", "junk"}) {
    SCOPED_TRACE(stored);
    Settings({"C:\\Pics\\", "1", "1", stored});
    Start();
    std::optional<int> exitCode;
    StepsUntilEnd(10, exitCode);
    ASSERT_EQ(exitCode, std::optional<int>(0));
    // "junk" reads as 0, so the next one is index 1.
    const std::string expected = stored == "junk" ? "b.jpg" : "a.jpg";
    EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG " + expected);
    EXPECT_EQ(SettingsText(),
              std::string("C:\\Pics\\\r\n1\r\n1\r\n") + (stored == "junk" ? "1" : "0") + "\r\n");
  }
}

TEST_F(MainWindowTest, RandomPickFollowsItsGenerator) {
  struct Case {
    std::optional<std::int64_t> counter;
    std::uint32_t ticks;
    std::size_t pictures;
    std::string picked;
  };
  // state = seed * 134775813 + 1 (mod 2^32); index = (n * state) >> 32.
  const std::vector<Case> cases = {
      {0, 0, 3, "a.jpg"},                       // state 1
      {0xFFFFFFFFLL, 0, 3, "c.jpg"},            // state 4160191484: 3 * state >> 32 = 2
      {0x1FFFFFFFFLL, 0, 3, "c.jpg"},           // only the low 32 bits seed
      {std::nullopt, 0xFFFFFFFFu, 3, "c.jpg"},  // no counter: the tick count seeds
      {12345, 0, 1, "a.jpg"},                   // one picture is always taken
  };
  const std::vector<std::string> names = {"a.jpg", "b.jpg", "c.jpg"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pictures);
    if (os.Exists(kPics)) os.Remove(kPics);
    Pictures(kPics, std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(c.pictures)));
    Settings({"C:\\Pics\\", "1", "0"});
    Start();
    os.SetPerformanceCounter(c.counter);
    os.SetTickCount(c.ticks);
    // A new millisecond reading makes the step; the seed stays as set.
    os.SetLocalTime({2026, 12, 8, 8, 30, 0, 7});
    std::optional<int> exitCode;
    try {
      backend.TickRunningTimers();
    } catch (const HaltRequested& halt) {
      exitCode = halt.exitCode;
    }
    ASSERT_EQ(exitCode, std::optional<int>(0));
    EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG " + c.picked);
  }
}

TEST_F(MainWindowTest, InstallationNeverLosesTheOldPicture) {
  struct Case {
    std::string what;
    std::vector<std::string> pictures;
    // Breaks something after start-up; gives a hold to keep while the step runs.
    std::function<std::shared_ptr<void>(MemoryOs&)> fault;
    std::string after;  // what Pix_Rn.jpg holds afterwards
  };
  const std::vector<Case> cases = {
      {"a picture", {"a.jpg"}, nullptr, "JPEG a.jpg"},
      {"an empty folder", {}, nullptr, "old picture"},
      {"the picture vanished",
       {"a.jpg"},
       [](MemoryOs& m) {
         m.Remove("C:\\Pics\\a.jpg");
         return std::shared_ptr<void>();
       },
       "old picture"},
      {"the picture is held open",
       {"a.jpg"},
       [](MemoryOs& m) { return m.HoldOpen("C:\\Pics\\a.jpg"); },
       "old picture"},
      {"Pix_Rn.jpg is held open", {"a.jpg"}, [](MemoryOs& m) { return m.HoldOpen(kTarget); }, "old picture"},
      {"Pix_Rn.jpg is read-only",
       {"a.jpg"},
       [](MemoryOs& m) {
         m.SetAttributes(kTarget, attr::kReadOnly);
         return std::shared_ptr<void>();
       },
       "old picture"},
      // Only the one file was granted: it is overwritten in place.
      {"the Windows directory takes no new file",
       {"a.jpg"},
       [](MemoryOs& m) {
         m.RefuseNewFiles("C:\\windows");
         return std::shared_ptr<void>();
       },
       "JPEG a.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os.ClearFaults();
    if (os.Exists(kPics)) os.Remove(kPics);
    Pictures(kPics, c.pictures);
    if (os.Exists(kTarget)) os.Remove(kTarget);
    os.WriteFileContents(kTarget, "old picture");
    Settings({"C:\\Pics\\", "1", "0"});
    Start();
    const std::shared_ptr<void> hold = c.fault ? c.fault(os) : nullptr;
    EXPECT_EQ(Step(), std::optional<int>(0)) << "the program still ends at once";
    EXPECT_EQ(os.ReadFileContents(kTarget), c.after);
    EXPECT_FALSE(os.Exists("C:\\windows\\Pix_Rn.jpg.tmp")) << "no temporary file is left";
    EXPECT_TRUE(backend.errorBoxes.empty());
  }
}

TEST_F(MainWindowTest, TheDesktopIsAskedToReloadOnlyItsOwnPicture) {
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
    os.ClearFaults();
    Pictures(kPics, {"a.jpg"});
    if (os.Exists(kTarget)) os.Remove(kTarget);
    os.WriteFileContents(kTarget, "old picture");
    os.SetWallpaperSetting(c.wallpaper);
    const std::size_t before = os.WallpaperReloads().size();
    Settings({"C:\\Pics\\", "1", "0"});
    Start();
    std::shared_ptr<void> hold;
    if (c.refused) hold = os.HoldOpen(kTarget);
    EXPECT_EQ(Step(), std::optional<int>(0));
    const std::vector<std::string> reloads(os.WallpaperReloads().begin() + static_cast<long>(before),
                                           os.WallpaperReloads().end());
    EXPECT_EQ(reloads, c.reloads);
    EXPECT_EQ(os.GetDesktopWallpaper(),
              c.wallpaper.empty() ? "" : (c.reloads.empty() ? c.wallpaper : kTarget));
  }
}

TEST_F(MainWindowTest, APathThatWouldBeCutIsNotUsed) {
  // 259 characters in all; its first 254 name another file that exists.
  const std::string folder = "C:\\" + std::string(230, 'p');
  const std::string cutName(20, 'x');
  Pictures(folder, {cutName + "y.jpg"});
  os.WriteFileContents(folder + "\\" + cutName, "WRONG FILE");
  ASSERT_EQ((folder + "\\" + cutName + "y.jpg").size(), 259u);
  os.WriteFileContents(kTarget, "old picture");
  Settings({folder + "\\", "1", "0"});
  Start();
  EXPECT_EQ(Step(), std::optional<int>(0));
  EXPECT_EQ(os.ReadFileContents(kTarget), "old picture");
}

TEST_F(MainWindowTest, AFailedAdvanceIsShownAndTheCountdownGoesOn) {
  Pictures(kPics, {"a.jpg", "b.jpg"});
  Settings({"C:\\Pics\\", "2", "1", "-1"});
  TForm1& window = Start();
  const auto held = os.HoldOpen(kSettings);
  os.Advance(1);
  app->Dispatch([&] { backend.TickRunningTimers(); });
  ASSERT_EQ(backend.errorBoxes.size(), 1u);
  EXPECT_EQ(backend.errorBoxes[0].text, "I/O error 32.");
  EXPECT_EQ(window.SelectionMode, smSequentialAdvanced) << "the advance is not repeated";
  EXPECT_TRUE(window.cyber.Enabled());
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n2\r\n1\r\n-1\r\n") << "the settings stay whole";
}

}  // namespace
}  // namespace pix::test
