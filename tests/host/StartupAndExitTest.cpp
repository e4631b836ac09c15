// Start-up's settings load and the exit button's save, headless.
#include "MainWindowFixture.h"
#include "skin/SkinNames.h"

namespace pix::test {
namespace {

TEST_F(MainWindowTest, SettingsLoadHandsEachLineToItsComponent) {
  Pictures("C:\\Pics", {"a.jpg", "b.jpg"});
  struct Case {
    std::string what;
    std::optional<std::vector<std::string>> lines;  // none: no settings file
    std::string pth, tim, tim2;
    std::int32_t mode;
    const char* randomFace;  // the stored face sfl shows, or nullptr for its creation face
    std::string listed;      // the picture list's folder
  };
  const std::vector<Case> cases = {
      {"first run", std::nullopt, "C:\\Program\\", "0", "0", 0, nullptr, "C:\\"},
      {"empty file", std::vector<std::string>{}, "", "", "", 0, "sfl2", "C:\\"},
      {"random", std::vector<std::string>{"C:\\Pics\\", "120", "0", "-1"}, "C:\\Pics\\", "120", "120", 0,
       "sfl2", "C:\\Pics"},
      {"one after another", std::vector<std::string>{"C:\\Pics\\", "120", "1", "2"}, "C:\\Pics\\", "120",
       "120", 1, "sfl1", "C:\\Pics"},
      {"a hand-edited mode", std::vector<std::string>{"C:\\Pics\\", "60", "7"}, "C:\\Pics\\", "60", "60", 7,
       nullptr, "C:\\Pics"},
      {"one line", std::vector<std::string>{"C:\\Pics\\"}, "C:\\Pics\\", "", "", 0, "sfl2", "C:\\Pics"},
      // A vanished folder keeps the delay and the mode for the next save, but
      // no countdown runs: the window opens for the user to choose again.
      {"vanished folder", std::vector<std::string>{"C:\\Gone\\", "120", "1", "-1"}, "C:\\Gone\\", "0", "120",
       1, "sfl1", "C:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (os.Exists(kSettings)) os.Remove(kSettings);
    if (c.lines) Settings(*c.lines);
    ASSERT_EQ(os.SetCurrentDirectory("C:\\"), oserr::kSuccess);
    TForm1& window = Start();
    EXPECT_EQ(window.pth.Text(), c.pth);
    EXPECT_EQ(window.tim.Caption(), c.tim);
    EXPECT_EQ(window.tim2.Text(), c.tim2);
    EXPECT_EQ(window.SelectionMode, c.mode);
    const TImage* face =
        c.randomFace ? dynamic_cast<const TImage*>(window.FindComponent(c.randomFace)) : nullptr;
    if (face) {
      EXPECT_EQ(window.sfl.Picture(), face->Picture());
    } else {
      EXPECT_EQ(window.sfl.Picture()->name, skin::kRandomSwitch) << "the creation face";
    }
    EXPECT_EQ(window.chdis2.FolderPath(), c.listed);
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
      {"advanced in this run", {"C:\\Pics\\", "0", "1", "3"}, 2, "C:\\Pics\\\r\n0\r\n1\r\n-1\r\n"},
      // An odd mode is written back as it was, so the lines keep their places.
      {"hand-edited mode", {"C:\\Pics\\", "0", "7"}, 7, "C:\\Pics\\\r\n0\r\n7\r\n-1\r\n"},
      {"delay as typed", {"C:\\Pics\\", " 60", "0"}, 0, "C:\\Pics\\\r\n 60\r\n0\r\n-1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings(c.lines);
    TForm1& window = Start();
    window.cyber.SetEnabled(false);
    window.SelectionMode = c.modeBeforeExit;
    EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0));
    EXPECT_EQ(SettingsText(), c.saved);
  }
}

TEST_F(MainWindowTest, FirstRunSavesTheExecutableFolder) {
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  EXPECT_FALSE(window.cyber.Enabled()) << "delay 0: no countdown";
  EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n0\r\n0\r\n-1\r\n");
}

TEST_F(MainWindowTest, ExitIsGatedByTheCountdown) {
  Pictures("C:\\Pics", {"a.jpg"});
  Settings({"C:\\Pics\\", "120", "0"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  ASSERT_TRUE(window.cyber.Enabled());
  EXPECT_EQ(ClickMayHalt(window.hlt), std::nullopt) << "the countdown runs: nothing happens";
  EXPECT_EQ(window.hlt.Left(), 250) << "but the button moved back";
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n120\r\n0\r\n");

  Click(window.MinBut);
  EXPECT_FALSE(window.cyber.Enabled());
  EXPECT_EQ(window.tim.Caption(), "120") << "the stop button shows the configured delay again";
  EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Pics\\\r\n120\r\n0\r\n-1\r\n");
}

TEST_F(MainWindowTest, AReadOnlySettingsFileShowsTheErrorAndTheProgramStays) {
  Settings({"C:\\Program\\", "0", "0", "-1"});
  os.SetAttributes(kSettings, attr::kReadOnly);
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  std::optional<int> exitCode;
  app->Dispatch([&] { exitCode = ClickMayHalt(window.hlt); });
  EXPECT_EQ(exitCode, std::nullopt);
  ASSERT_EQ(backend.errorBoxes.size(), 1u);
  EXPECT_EQ(backend.errorBoxes[0].text, "File access denied.");
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n0\r\n0\r\n-1\r\n");
}

}  // namespace
}  // namespace pix::test
