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
    std::string shownAfterFirst;  // delayLabel after the first step ("" when it ended there)
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
    MainWindow& window = Start();
    std::optional<int> exitCode = Step();
    if (!exitCode && backend.IsRunning(window.countdownTimer)) {
      EXPECT_EQ(window.delayLabel.Caption(), c.shownAfterFirst);
    }
    int steps = 1;
    if (!exitCode && backend.IsRunning(window.countdownTimer)) steps += StepsUntilEnd(200, exitCode);
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
  MainWindow& window = Start();
  // The clock stands at millisecond 0, which is where the last step "was".
  backend.TickRunningTimers();
  EXPECT_EQ(window.delayLabel.Caption(), "5");
  os.Advance(1);
  backend.TickRunningTimers();
  backend.TickRunningTimers();
  EXPECT_EQ(window.delayLabel.Caption(), "4") << "one step for one new millisecond reading";
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

TEST_F(MainWindowTest, AFailedAdvanceIsShownAndTheCountdownGoesOn) {
  Pictures(kPics, {"a.jpg", "b.jpg"});
  Settings({"C:\\Pics\\", "2", "1", "-1"});
  MainWindow& window = Start();
  const auto held = os.HoldOpen(kSettings);
  os.Advance(1);
  app->Dispatch([&] { backend.TickRunningTimers(); });
  ASSERT_EQ(backend.errorBoxes.size(), 1u);
  EXPECT_EQ(backend.errorBoxes[0].text, "I/O error 32.");
  EXPECT_EQ(window.Mode(), kSequenceAdvancedMode) << "the advance is not repeated";
  EXPECT_TRUE(window.countdownTimer.Enabled());
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n2\r\n1\r\n-1\r\n") << "the settings stay whole";
}

}  // namespace
}  // namespace pix::test
