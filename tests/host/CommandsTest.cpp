// The window's commands, headless: the delay editor, the mode switches, the
// window buttons and the folder list's presses.
#include "MainWindowFixture.h"

namespace pix::test {
namespace {

// A window whose countdown has stopped (delay "0"), so every command works.
class CommandsTest : public MainWindowTest {
 protected:
  MainWindow& StartStopped(const std::vector<std::string>& settings = {"C:\\Program\\", "0", "0", "-1"}) {
    Settings(settings);
    MainWindow& window = Start();
    EXPECT_FALSE(Step());
    EXPECT_FALSE(window.countdownTimer.Enabled());
    return window;
  }
  static void Key(MainWindow& window, std::uint16_t key) { window.delayEditor.KeyDown(key, {}); }
};

TEST_F(CommandsTest, EnterCommitsTheDelayUnderTheRule) {
  MainWindow& window = StartStopped();
  struct Case {
    std::string typed, result;
  };
  const std::vector<Case> cases = {
      {"0", "0"},   {"", "0"},      {"abc", "0"},   {"-5", "50"},       {"1", "50"},          {"49", "50"},
      {"50", "50"}, {" 60", " 60"}, {"$40", "$40"}, {"60abc", "60abc"}, {"2147483648", "50"}, {"00", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    window.delayLabel.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_TRUE(window.delayEditor.Enabled());
    EXPECT_EQ(window.delayEditor.Left(), 213);
    EXPECT_EQ(window.ActiveControl(), &window.delayEditor);
    window.delayEditor.TextEdited(c.typed);
    Key(window, 13);
    EXPECT_EQ(window.ConfiguredDelay(), c.result);
    EXPECT_EQ(window.delayLabel.Caption(), c.result);
    EXPECT_EQ(window.delayEditor.Left(), 10000);
    EXPECT_FALSE(window.delayEditor.Enabled());
    EXPECT_EQ(window.ActiveControl(), &window.focusSink);
  }
}

TEST_F(CommandsTest, EscapeKeepsTheLabelAndTheSavedDelay) {
  Settings({"C:\\Program\\", "120", "0", "-1"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  Click(window.stopButton);  // stops the countdown
  window.delayLabel.MouseDown(TMouseButton::mbRight, {}, 1, 1);
  EXPECT_EQ(window.ConfiguredDelay(), "120") << "the editor opens on the caption";
  window.delayEditor.TextEdited("7");
  Key(window, 'A');  // an ordinary key is ordinary editing
  EXPECT_EQ(window.ConfiguredDelay(), "7");
  Key(window, 27);
  EXPECT_EQ(window.delayLabel.Caption(), "120");
  EXPECT_EQ(window.ConfiguredDelay(), "120") << "the cancelled text is not what the exit saves";
  EXPECT_EQ(window.delayEditor.Left(), 10000);
  EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n120\r\n0\r\n-1\r\n");
}

TEST_F(CommandsTest, TheOpenEditorsTextIsWhatTheExitSaves) {
  MainWindow& window = StartStopped();
  window.delayLabel.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  window.delayEditor.TextEdited("75");
  Click(window.stopButton);
  EXPECT_EQ(window.delayLabel.Caption(), "75") << "the stop button copies the field, confirmed or not";
  EXPECT_EQ(window.delayEditor.Left(), 213) << "the editor stays open";
  EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n75\r\n0\r\n-1\r\n");
}

TEST_F(CommandsTest, TheLabelIsGatedByTheCountdown) {
  Settings({"C:\\Program\\", "120", "0"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  window.delayLabel.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  EXPECT_EQ(window.delayEditor.Left(), 500);
  EXPECT_FALSE(window.delayEditor.Enabled());
}

TEST_F(CommandsTest, ModeSwitches) {
  struct Case {
    std::int32_t before;
    TImage MainWindow::*clicked;
    std::int32_t after;
    bool facesCopied;
  };
  const std::vector<Case> cases = {
      {0, &MainWindow::randomSwitch, 0, false}, {0, &MainWindow::sequenceSwitch, 1, true},
      {1, &MainWindow::randomSwitch, 0, true},  {1, &MainWindow::sequenceSwitch, 1, false},
      {2, &MainWindow::randomSwitch, 0, true},  {2, &MainWindow::sequenceSwitch, 2, false},
      {7, &MainWindow::randomSwitch, 7, false}, {7, &MainWindow::sequenceSwitch, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.before) +
                 ((c.clicked == &MainWindow::randomSwitch) ? " random" : " sequence"));
    MainWindow& window = StartStopped({"C:\\Program\\", "0", std::to_string(c.before), "-1"});
    ASSERT_EQ(window.Mode(), c.before);
    const auto randomFaceBefore = window.randomSwitch.Picture(),
               sequenceFaceBefore = window.sequenceSwitch.Picture();
    Click(window.*c.clicked);
    EXPECT_EQ(window.Mode(), c.after);
    if (!c.facesCopied) {
      EXPECT_EQ(window.randomSwitch.Picture(), randomFaceBefore);
      EXPECT_EQ(window.sequenceSwitch.Picture(), sequenceFaceBefore);
    } else if (c.after == kRandomMode) {
      EXPECT_EQ(window.randomSwitch.Picture()->pixels, Face(skin::kRandomOn)->pixels);
      EXPECT_EQ(window.sequenceSwitch.Picture()->pixels, Face(skin::kSequenceOff)->pixels);
    } else {
      EXPECT_EQ(window.randomSwitch.Picture()->pixels, Face(skin::kRandomOff)->pixels);
      EXPECT_EQ(window.sequenceSwitch.Picture()->pixels, Face(skin::kSequenceOn)->pixels);
    }
  }
}

TEST_F(CommandsTest, GatedButtonsOnlyMoveWhileTheCountdownRuns) {
  Settings({"C:\\Program\\", "120", "0"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  for (TImage* button :
       {&window.helpButton, &window.minimizeButton, &window.randomSwitch, &window.sequenceSwitch})
    Click(*button);
  EXPECT_TRUE(os.ShellCalls().empty());
  EXPECT_EQ(backend.minimized, 0);
  EXPECT_EQ(window.Mode(), kRandomMode);
  Click(window.aboutButton);
  EXPECT_EQ(window.Width(), 469) << "the author panel is not gated";
}

TEST_F(CommandsTest, AuthorPanelToggle) {
  MainWindow& window = StartStopped();
  struct Case {
    int before, after;
  };
  for (const Case& c : std::vector<Case>{{276, 469}, {469, 276}, {300, 469}, {760, 469}}) {
    SCOPED_TRACE(c.before);
    window.SetWidth(c.before);
    Click(window.aboutButton);
    EXPECT_EQ(window.Width(), c.after);
  }
  // A double click is two clicks: the width ends where it began.
  window.SetWidth(276);
  Click(window.aboutButton);
  Click(window.aboutButton);
  EXPECT_EQ(window.Width(), 276);
}

TEST_F(CommandsTest, HelpStartsInItsOwnFolderAndNeverFromACutPath) {
  struct Case {
    std::string module, file, directory;
  };
  const std::string deep = "C:\\" + std::string(240, 'd');
  const std::vector<Case> cases = {
      {"C:\\Tools\\app.exe", "C:\\Tools\\help\\Hlp_Vw.exe", "C:\\Tools\\help"},
      {"D:\\app.exe", "D:\\help\\Hlp_Vw.exe", "D:\\help"},
      {deep + "\\app.exe", "", ""},  // 259 characters would have to be cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    os.SetModuleFileName(c.module);
    MainWindow& window = StartStopped();
    const std::size_t before = os.ShellCalls().size();
    Click(window.helpButton, TMouseButton::mbRight);  // every mouse button works alike
    if (c.file.empty()) {
      EXPECT_EQ(os.ShellCalls().size(), before);
      continue;
    }
    ASSERT_EQ(os.ShellCalls().size(), before + 1);
    const auto& call = os.ShellCalls().back();
    EXPECT_EQ(call.file, c.file);
    EXPECT_EQ(call.directory, c.directory);
    EXPECT_EQ(call.showCommand, 1);
  }
}

TEST_F(CommandsTest, MinimizeAndStop) {
  MainWindow& window = StartStopped({"C:\\Program\\", "0", "0"});
  Click(window.minimizeButton);
  EXPECT_EQ(backend.minimized, 1);
  Click(window.delayLabel);
  window.delayEditor.TextEdited("90");
  Click(window.stopButton);
  EXPECT_EQ(window.delayLabel.Caption(), "90") << "the stop button works with no countdown too";
}

TEST_F(CommandsTest, PressesMoveWithoutBoundAndWithoutAHomePosition) {
  MainWindow& window = StartStopped();
  // A right press released elsewhere leaves the button shifted.
  window.randomSwitch.MouseDown(TMouseButton::mbRight, {}, 1, 1);
  EXPECT_EQ(window.randomSwitch.Left(), 221);
  Click(window.randomSwitch);
  EXPECT_EQ(window.randomSwitch.Left(), 221) << "later clicks keep the shift";
  // A release over a button that was not pressed moves it up and left.
  window.sequenceSwitch.MouseUp(TMouseButton::mbMiddle, {}, 1, 1);
  EXPECT_EQ(window.sequenceSwitch.Left(), 217);
  EXPECT_EQ(window.sequenceSwitch.Top(), 64);
  EXPECT_EQ(window.Mode(), kSequenceMode) << "and runs its command";
}

class FolderPressTest : public CommandsTest {
 protected:
  FolderPressTest() {
    os.AddDrive('a', DriveType::Removable);
    os.SetDriveReady('a', false);
    os.AddDrive('d', DriveType::CdRom);
    os.SetDriveReady('d', false);
    os.AddShare("\\\\server\\pics");
    os.AddNetworkDrive('z', "\\\\server\\pics");
    os.MakeDirectory("C:\\Pictures\\Summer");
  }
};

TEST_F(FolderPressTest, LeftPressTakesTheListsFolder) {
  MainWindow& window = StartStopped({"C:\\Pictures\\Summer\\", "0", "0"});
  struct Case {
    std::string folder, pictureFolder;
  };
  for (const Case& c :
       std::vector<Case>{{"C:\\Pictures\\Summer", "C:\\Pictures\\Summer\\"}, {"C:\\", "C:\\"}}) {
    SCOPED_TRACE(c.folder);
    window.folderList.SetFolderPath(c.folder);
    window.folderList.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(window.PictureFolderPath(), c.pictureFolder);
  }
  window.folderList.SetFolderPath("C:\\Pictures");
  window.folderList.MouseDown(TMouseButton::mbMiddle, {}, 1, 1);
  EXPECT_EQ(window.PictureFolderPath(), "C:\\") << "a middle press only checks the gate";
}

TEST_F(FolderPressTest, RightPressCyclesThroughTheDrivesPassingOverTheUnready) {
  MainWindow& window = StartStopped({"C:\\Pictures\\Summer\\", "0", "0"});
  ASSERT_EQ(window.Drives().Count(), 4);
  ASSERT_EQ(window.Drives().Text(), "c: [system]") << "the drive that was current at start";
  struct Step {
    std::string item, folder;
  };
  const std::vector<Step> steps = {
      {"d: []", "C:\\Pictures\\Summer"},  // no disc: the list keeps its folder
      {"z: \\\\server\\pics", "z:\\"},
      {"a:", "z:\\"},  // from the last item to the first
      {"c: [system]", "c:\\"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.item);
    window.folderList.MouseDown(TMouseButton::mbRight, {}, 1, 1);
    EXPECT_EQ(window.Drives().Text(), step.item);
    EXPECT_EQ(window.folderList.FolderPath(), step.folder);
    EXPECT_EQ(window.PictureFolderPath(), "C:\\Pictures\\Summer\\")
        << "a right press leaves the picture folder alone";
  }
  EXPECT_TRUE(backend.errorBoxes.empty());
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u);
}

TEST_F(FolderPressTest, APressDuringTheCountdownDisablesTheListUntilItStops) {
  Settings({"C:\\Pictures\\Summer\\", "120", "0"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());
  window.folderList.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  EXPECT_FALSE(window.folderList.Enabled());
  EXPECT_EQ(window.PictureFolderPath(), "C:\\Pictures\\Summer\\") << "the press still acts";
  Click(window.stopButton);
  EXPECT_TRUE(window.folderList.Enabled()) << "the stopped countdown gives the list back";
}

}  // namespace
}  // namespace pix::test
