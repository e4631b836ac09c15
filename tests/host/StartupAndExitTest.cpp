// Start-up's settings load and the exit button's save, headless.
#include "MainWindowFixture.h"
#include "support/FaultyOs.h"

namespace pix::test {
namespace {

TEST_F(MainWindowTest, SettingsLoadHandsEachLineToItsComponent) {
  Pictures("C:\\Pics", {"a.jpg", "b.jpg"});
  struct Case {
    std::string what;
    std::optional<std::vector<std::string>> lines;  // none: no settings file
    std::string pictureFolder, delayLabel, delayEditor;
    std::int32_t mode;
    const char* randomFace;  // the face the random switch shows, or nullptr for its creation face
    std::string listed;      // the picture list's folder
  };
  const std::vector<Case> cases = {
      {"first run", std::nullopt, "C:\\Program\\", "0", "0", 0, nullptr, "C:\\"},
      {"empty file", std::vector<std::string>{}, "", "", "", 0, skin::kRandomOn, "C:\\"},
      {"random", std::vector<std::string>{"C:\\Pics\\", "120", "0", "-1"}, "C:\\Pics\\", "120", "120", 0,
       skin::kRandomOn, "C:\\Pics"},
      {"one after another", std::vector<std::string>{"C:\\Pics\\", "120", "1", "2"}, "C:\\Pics\\", "120",
       "120", 1, skin::kRandomOff, "C:\\Pics"},
      {"a hand-edited mode", std::vector<std::string>{"C:\\Pics\\", "60", "7"}, "C:\\Pics\\", "60", "60", 7,
       nullptr, "C:\\Pics"},
      {"one line", std::vector<std::string>{"C:\\Pics\\"}, "C:\\Pics\\", "", "", 0, skin::kRandomOn,
       "C:\\Pics"},
      // A vanished folder keeps the delay and the mode for the next save, but
      // no countdown runs: the window opens for the user to choose again.
      {"vanished folder", std::vector<std::string>{"C:\\Gone\\", "120", "1", "-1"}, "C:\\Gone\\", "0", "120",
       1, skin::kRandomOff, "C:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (os.Exists(kSettings)) os.Remove(kSettings);
    if (c.lines) Settings(*c.lines);
    ASSERT_EQ(os.SetCurrentDirectory("C:\\"), oserr::kSuccess);
    MainWindow& window = Start();
    EXPECT_EQ(window.PictureFolderPath(), c.pictureFolder);
    EXPECT_EQ(window.delayLabel.Caption(), c.delayLabel);
    EXPECT_EQ(window.ConfiguredDelay(), c.delayEditor);
    EXPECT_EQ(window.Mode(), c.mode);
    EXPECT_EQ(window.randomSwitch.Picture()->name, c.randomFace ? c.randomFace : skin::kRandomSwitch);
    EXPECT_EQ(window.Pictures().FolderPath(), c.listed);
    EXPECT_TRUE(backend.errorBoxes.empty()) << "the load is silent";
  }
}

TEST_F(MainWindowTest, ExitSavesTheFourLinesAndEnds) {
  Pictures("C:\\Pics", {"a.jpg"});
  struct Case {
    std::string what;
    std::vector<std::string> lines;
    std::int32_t modeBeforeExit;
    std::string saved;
  };
  const std::vector<Case> cases = {
      {"random", {"C:\\Pics\\", "0", "0", "3"}, 0, "C:\\Pics\\\r\n0\r\n0\r\n-1\r\n"},
      {"one after another", {"C:\\Pics\\", "0", "1", "3"}, 1, "C:\\Pics\\\r\n0\r\n1\r\n-1\r\n"},
      // The first step of a countdown advances the sequence; the stop button then opens the gate.
      {"advanced in this run", {"C:\\Pics\\", "120", "1", "3"}, 2, "C:\\Pics\\\r\n120\r\n1\r\n-1\r\n"},
      // An odd mode is written back as it was, so the lines keep their places.
      {"hand-edited mode", {"C:\\Pics\\", "0", "7"}, 7, "C:\\Pics\\\r\n0\r\n7\r\n-1\r\n"},
      {"delay as typed", {"C:\\Pics\\", " 60", "0"}, 0, "C:\\Pics\\\r\n 60\r\n0\r\n-1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings(c.lines);
    MainWindow& window = Start();
    Step();
    Click(window.stopButton);
    ASSERT_EQ(window.Mode(), c.modeBeforeExit);
    EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0));
    EXPECT_EQ(SettingsText(), c.saved);
  }
}

TEST_F(MainWindowTest, FirstRunSavesTheExecutableFolder) {
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  EXPECT_FALSE(window.countdownTimer.Enabled()) << "delay 0: no countdown";
  EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n0\r\n0\r\n-1\r\n");
}

TEST_F(MainWindowTest, ExitIsGatedByTheCountdown) {
  Pictures("C:\\Pics", {"a.jpg"});
  Settings({"C:\\Pics\\", "120", "0"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  ASSERT_TRUE(window.countdownTimer.Enabled());
  EXPECT_EQ(ClickMayHalt(window.exitButton), std::nullopt) << "the countdown runs: nothing happens";
  EXPECT_EQ(window.exitButton.Left(), 250) << "but the button moved back";
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n120\r\n0\r\n");

  Click(window.stopButton);
  EXPECT_FALSE(window.countdownTimer.Enabled());
  EXPECT_EQ(window.delayLabel.Caption(), "120") << "the stop button shows the configured delay again";
  EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n120\r\n0\r\n-1\r\n");
}

TEST_F(MainWindowTest, AReadOnlySettingsFileShowsTheErrorAndTheProgramStays) {
  Settings({"C:\\Program\\", "0", "0", "-1"});
  os.SetAttributes(kSettings, attr::kReadOnly);
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  std::optional<int> exitCode;
  app->Dispatch([&] { exitCode = ClickMayHalt(window.exitButton); });
  EXPECT_EQ(exitCode, std::nullopt);
  ASSERT_EQ(backend.errorBoxes.size(), 1u);
  EXPECT_EQ(backend.errorBoxes[0].text, "File access denied.");
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n0\r\n0\r\n-1\r\n");
}

// The folder list and the picture list both read the saved folder as the
// window opens: one reading serves both.
TEST_F(MainWindowTest, StartUpReadsThePictureFolderOnce) {
  Pictures("C:\\Pics", {"a.jpg", "b.png"});
  os.MakeDirectory("C:\\Pics\\Sub");
  os.WriteFileContents(kTarget, "old picture");
  Settings({"C:\\Pics\\", "1", "0", "-1"});
  MainWindow& window = Start();
  EXPECT_EQ(os.Enumerations(), 1);
  EXPECT_EQ(window.folderList.ItemCount(), 3);  // C:\, Pics, Sub
  std::optional<int> exitCode;
  StepsUntilEnd(100, exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(os.ReadFileContents(kTarget), "JPEG a.jpg");
  EXPECT_EQ(os.Enumerations(), 1);
}

// Listing a huge folder may run out of memory on a machine short of it: at
// log-on that is a folder that cannot be listed, not an error box.
TEST_F(MainWindowTest, AFolderTooLargeToListOpensTheWindowWithoutABox) {
  Pictures("C:\\Pics", {"a.jpg"});
  Settings({"C:\\Pics\\", "120", "1", "-1"});
  FaultyOs faulty(os);
  faulty.RunOutOfMemoryListing();
  TApplication application(faulty, backend);
  application.Initialize();
  auto& window = application.CreateForm<MainWindow>();
  application.Run();
  EXPECT_TRUE(backend.errorBoxes.empty()) << backend.errorBoxes.front().text;
  EXPECT_EQ(window.delayLabel.Caption(), "0") << "no countdown: the window stays for the user";
  EXPECT_EQ(window.ConfiguredDelay(), "120");
  EXPECT_EQ(window.Mode(), kSequenceMode);
}

}  // namespace
}  // namespace pix::test
