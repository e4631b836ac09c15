// The window's commands, headless: the delay editor, the mode switches, the
// window buttons and the folder list's presses.
#include "MainWindowFixture.h"

namespace pix::test {
namespace {

// A window whose countdown has stopped (delay "0"), so every command works.
class CommandsTest : public MainWindowTest {
 protected:
  TForm1& StartStopped(const std::vector<std::string>& settings = {"C:\\Program\\", "0", "0", "-1"}) {
    Settings(settings);
    TForm1& window = Start();
    EXPECT_FALSE(Step());
    EXPECT_FALSE(window.cyber.Enabled());
    return window;
  }
  static void Key(TForm1& window, std::uint16_t key) { window.tim2.KeyDown(key, {}); }
};

TEST_F(CommandsTest, EnterCommitsTheDelayUnderTheRule) {
  TForm1& window = StartStopped();
  struct Case {
    std::string typed, result;
  };
  const std::vector<Case> cases = {
      {"0", "0"},   {"", "0"},      {"abc", "0"},   {"-5", "50"},       {"1", "50"},          {"49", "50"},
      {"50", "50"}, {" 60", " 60"}, {"$40", "$40"}, {"60abc", "60abc"}, {"2147483648", "50"}, {"00", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    window.tim.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_TRUE(window.tim2.Enabled());
    EXPECT_EQ(window.tim2.Left(), 213);
    EXPECT_EQ(window.ActiveControl(), &window.tim2);
    window.tim2.TextEdited(c.typed);
    Key(window, 13);
    EXPECT_EQ(window.tim2.Text(), c.result);
    EXPECT_EQ(window.tim.Caption(), c.result);
    EXPECT_EQ(window.tim2.Left(), 10000);
    EXPECT_FALSE(window.tim2.Enabled());
    EXPECT_EQ(window.ActiveControl(), &window.xxx);
  }
}

TEST_F(CommandsTest, EscapeKeepsTheLabelAndTheSavedDelay) {
  Settings({"C:\\Program\\", "120", "0", "-1"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  Click(window.MinBut);  // stops the countdown
  window.tim.MouseDown(TMouseButton::mbRight, {}, 1, 1);
  EXPECT_EQ(window.tim2.Text(), "120") << "the editor opens on the caption";
  window.tim2.TextEdited("7");
  Key(window, 'A');  // an ordinary key is ordinary editing
  EXPECT_EQ(window.tim2.Text(), "7");
  Key(window, 27);
  EXPECT_EQ(window.tim.Caption(), "120");
  EXPECT_EQ(window.tim2.Text(), "120") << "the cancelled text is not what the exit saves";
  EXPECT_EQ(window.tim2.Left(), 10000);
  EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n120\r\n0\r\n-1\r\n");
}

TEST_F(CommandsTest, TheOpenEditorsTextIsWhatTheExitSaves) {
  TForm1& window = StartStopped();
  window.tim.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  window.tim2.TextEdited("75");
  Click(window.MinBut);
  EXPECT_EQ(window.tim.Caption(), "75") << "the stop button copies the field, confirmed or not";
  EXPECT_EQ(window.tim2.Left(), 213) << "the editor stays open";
  EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0));
  EXPECT_EQ(SettingsText(), "C:\\Program\\\r\n75\r\n0\r\n-1\r\n");
}

TEST_F(CommandsTest, TheLabelIsGatedByTheCountdown) {
  Settings({"C:\\Program\\", "120", "0"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  window.tim.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  EXPECT_EQ(window.tim2.Left(), 500);
  EXPECT_FALSE(window.tim2.Enabled());
}

TEST_F(CommandsTest, ModeSwitches) {
  struct Case {
    std::int32_t before;
    TImage TForm1::*clicked;
    std::int32_t after;
    bool facesCopied;
  };
  const std::vector<Case> cases = {
      {0, &TForm1::sfl, 0, false},  {0, &TForm1::nsfl, 1, true},  {1, &TForm1::sfl, 0, true},
      {1, &TForm1::nsfl, 1, false}, {2, &TForm1::sfl, 0, true},   {2, &TForm1::nsfl, 2, false},
      {7, &TForm1::sfl, 7, false},  {7, &TForm1::nsfl, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.before) + ((c.clicked == &TForm1::sfl) ? " random" : " sequence"));
    TForm1& window = StartStopped();
    window.SelectionMode = c.before;
    const auto randomBefore = window.sfl.Picture(), sequenceBefore = window.nsfl.Picture();
    Click(window.*c.clicked);
    EXPECT_EQ(window.SelectionMode, c.after);
    if (!c.facesCopied) {
      EXPECT_EQ(window.sfl.Picture(), randomBefore);
      EXPECT_EQ(window.nsfl.Picture(), sequenceBefore);
    } else if (c.after == smRandom) {
      EXPECT_EQ(window.sfl.Picture(), window.sfl2.Picture());
      EXPECT_EQ(window.nsfl.Picture(), window.nsfl1.Picture());
    } else {
      EXPECT_EQ(window.sfl.Picture(), window.sfl1.Picture());
      EXPECT_EQ(window.nsfl.Picture(), window.nsfl2.Picture());
    }
  }
}

TEST_F(CommandsTest, GatedButtonsOnlyMoveWhileTheCountdownRuns) {
  Settings({"C:\\Program\\", "120", "0"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  for (TImage* button : {&window.vpr, &window.min, &window.sfl, &window.nsfl})
    Click(*button);
  EXPECT_TRUE(os.ShellCalls().empty());
  EXPECT_EQ(backend.minimized, 0);
  EXPECT_EQ(window.SelectionMode, smRandom);
  Click(window.logo);
  EXPECT_EQ(window.Width(), 469) << "the author panel is not gated";
}

TEST_F(CommandsTest, AuthorPanelToggle) {
  TForm1& window = StartStopped();
  struct Case {
    int before, after;
  };
  for (const Case& c : std::vector<Case>{{276, 469}, {469, 276}, {300, 469}, {760, 469}}) {
    SCOPED_TRACE(c.before);
    window.SetWidth(c.before);
    Click(window.logo);
    EXPECT_EQ(window.Width(), c.after);
  }
  // A double click is two clicks: the width ends where it began.
  window.SetWidth(276);
  Click(window.logo);
  Click(window.logo);
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
    TForm1& window = StartStopped();
    const std::size_t before = os.ShellCalls().size();
    Click(window.vpr, TMouseButton::mbRight);  // every mouse button works alike
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
  TForm1& window = StartStopped({"C:\\Program\\", "0", "0"});
  Click(window.min);
  EXPECT_EQ(backend.minimized, 1);
  window.tim2.SetText("90");
  Click(window.MinBut);
  EXPECT_EQ(window.tim.Caption(), "90") << "the stop button works with no countdown too";
}

TEST_F(CommandsTest, PressesMoveWithoutBoundAndWithoutAHomePosition) {
  TForm1& window = StartStopped();
  // A right press released elsewhere leaves the button shifted.
  window.sfl.MouseDown(TMouseButton::mbRight, {}, 1, 1);
  EXPECT_EQ(window.sfl.Left(), 221);
  Click(window.sfl);
  EXPECT_EQ(window.sfl.Left(), 221) << "later clicks keep the shift";
  // A release over a button that was not pressed moves it up and left.
  window.nsfl.MouseUp(TMouseButton::mbMiddle, {}, 1, 1);
  EXPECT_EQ(window.nsfl.Left(), 217);
  EXPECT_EQ(window.nsfl.Top(), 64);
  EXPECT_EQ(window.SelectionMode, smSequential) << "and runs its command";
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
  TForm1& window = StartStopped({"C:\\Pictures\\Summer\\", "0", "0"});
  struct Case {
    std::string folder, pth;
  };
  for (const Case& c :
       std::vector<Case>{{"C:\\Pictures\\Summer", "C:\\Pictures\\Summer\\"}, {"C:\\", "C:\\"}}) {
    SCOPED_TRACE(c.folder);
    window.chdis.SetFolderPath(c.folder);
    window.chdis.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(window.pth.Text(), c.pth);
  }
  window.pth.SetText("kept");
  window.chdis.MouseDown(TMouseButton::mbMiddle, {}, 1, 1);
  EXPECT_EQ(window.pth.Text(), "kept") << "a middle press only checks the gate";
}

TEST_F(FolderPressTest, RightPressCyclesThroughTheDrivesPassingOverTheUnready) {
  TForm1& window = StartStopped({"C:\\Pictures\\Summer\\", "0", "0"});
  ASSERT_EQ(window.drv.ItemCount(), 4);
  ASSERT_EQ(window.drv.Text(), "c: [system]") << "the drive that was current at start";
  struct Step {
    std::string item, gathered, folder;
  };
  const std::vector<Step> steps = {
      {"d: []", "d:\\:: []", "C:\\Pictures\\Summer"},  // no disc: the list keeps its folder
      {"z: \\\\server\\pics", "z:\\", "z:\\"},
      {"a:", "a:\\::", "z:\\"},  // from the last item to the first
      {"c: [system]", "c:\\", "c:\\"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.item);
    window.chdis.MouseDown(TMouseButton::mbRight, {}, 1, 1);
    EXPECT_EQ(window.drv.Text(), step.item);
    EXPECT_EQ(window.Edit1.Text(), step.item);
    EXPECT_EQ(window.Edit3.Text(), step.gathered);
    EXPECT_EQ(window.chdis.FolderPath(), step.folder);
    EXPECT_EQ(window.pth.Text(), "C:\\Pictures\\Summer\\") << "a right press leaves the picture folder alone";
  }
  EXPECT_TRUE(backend.errorBoxes.empty());
  EXPECT_EQ(os.CriticalErrorPrompts(), 0u);
}

TEST_F(FolderPressTest, APressDuringTheCountdownDisablesTheListUntilItStops) {
  Settings({"C:\\Pictures\\Summer\\", "120", "0"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());
  window.chdis.MouseDown(TMouseButton::mbLeft, {}, 1, 1);
  EXPECT_FALSE(window.chdis.Enabled());
  EXPECT_EQ(window.pth.Text(), "C:\\Pictures\\Summer\\") << "the press still acts";
  Click(window.MinBut);
  EXPECT_TRUE(window.chdis.Enabled()) << "the stopped countdown gives the list back";
}

}  // namespace
}  // namespace pix::test
