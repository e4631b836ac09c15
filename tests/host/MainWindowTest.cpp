// The main window as built, driven headless: its components, their order and
// places, the hints, the focus, and the handlers bound to their events.
#include "MainWindowFixture.h"
#include "settings/Errors.h"

namespace pix::test {
namespace {

TEST_F(MainWindowTest, ComponentsStandWhereTheLayoutPutsThem) {
  MainWindow& window = Start();
  struct Row {
    std::string name;
    std::string parent;
    int left, top, width, height;
    bool enabled;
  };
  // In creation order; every picture takes its picture's size.
  const std::vector<Row> rows = {
      {"background", "Form1", 0, 0, 276, 196, true},
      {"aboutButton", "Form1", 207, 174, 60, 12, true},
      {"helpButton", "Form1", 250, 17, 17, 18, true},
      {"minimizeButton", "Form1", 250, 50, 17, 18, true},
      {"exitButton", "Form1", 250, 83, 17, 18, true},
      {"stopButton", "Form1", 247, 148, 11, 11, true},
      {"aboutPanel", "Form1", 275, 0, 194, 196, true},
      {"delayLabel", "Form1", 213, 138, 31, 13, true},
      {"randomSwitch", "Form1", 219, 32, 17, 18, true},
      {"sequenceSwitch", "Form1", 219, 66, 17, 18, true},
      {"folderListFrame", "Form1", 18, 16, 168, 160, true},
      {"folderList", "folderListFrame", -2, -2, 172, 164, true},
      {"delayEditor", "Form1", 500, 138, 31, 13, false},
      {"focusSink", "Form1", 472, 94, 25, 21, true},
  };
  const auto& components = window.Components();
  ASSERT_EQ(components.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(row.name);
    const TControl& control = *components[i];
    EXPECT_EQ(control.Name(), row.name);
    ASSERT_NE(control.Parent(), nullptr);
    EXPECT_EQ(control.Parent()->Name(), row.parent);
    EXPECT_EQ(control.Left(), row.left);
    EXPECT_EQ(control.Top(), row.top);
    EXPECT_EQ(control.Width(), row.width);
    EXPECT_EQ(control.Height(), row.height);
    EXPECT_EQ(control.Enabled(), row.enabled);
  }
  ASSERT_EQ(window.Timers().size(), 1u);
  EXPECT_EQ(window.Timers()[0], &window.countdownTimer);
}

TEST_F(MainWindowTest, WindowProperties) {
  MainWindow& window = Start();
  EXPECT_EQ(window.Caption(), "Form1");
  EXPECT_EQ(window.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(window.Color(), clBlack);
  EXPECT_EQ(window.Position(), TPosition::poScreenCenter);
  EXPECT_EQ(window.Width(), 276) << "start-up narrows the design surface of 760";
  EXPECT_EQ(window.Height(), 196);
  EXPECT_FALSE(window.ShowHint());
  EXPECT_EQ(app->Title(), "Pix_rn");
  EXPECT_EQ(app->MainForm(), &window);
  EXPECT_TRUE(backend.applicationWindow);

  EXPECT_EQ(window.delayLabel.Caption(), "0");
  EXPECT_TRUE(window.delayLabel.Transparent());
  EXPECT_EQ(window.delayEditor.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(window.delayEditor.Color(), clBlack);
  EXPECT_EQ(window.delayEditor.Font().color, clSilver);
  EXPECT_EQ(window.folderList.Color(), 8946824u);
  EXPECT_EQ(window.folderList.ItemHeight(), 16);
  EXPECT_EQ(window.Pictures().Mask(), "*.jpg");
  EXPECT_EQ(window.countdownTimer.Interval(), 1u);
  EXPECT_TRUE(window.countdownTimer.Enabled());
  EXPECT_TRUE(backend.IsRunning(window.countdownTimer)) << "live from the window's creation on";
}

TEST_F(MainWindowTest, TitleComesFromTheProgramFile) {
  struct Case {
    std::string path, title;
  };
  const std::vector<Case> cases = {
      {"C:\\Program\\Pix_Rn.exe", "Pix_rn"},
      {"C:\\x\\MY.APP.EXE", "My"},
      {"D:PICTURES.EXE", "Pictures"},
      {"C:\\a\\b", "b"},  // the first character keeps its case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TApplication::TitleOf(os, c.path), c.title);
  }
}

TEST_F(MainWindowTest, SwitchesShowTheirCreationFacesUntilAModeIsSet) {
  MainWindow& window = Start();
  EXPECT_EQ(window.randomSwitch.Picture()->pixels, Face(skin::kRandomOn)->pixels) << "random looks on";
  EXPECT_NE(window.sequenceSwitch.Picture()->pixels, Face(skin::kSequenceOff)->pixels);
  EXPECT_NE(window.sequenceSwitch.Picture()->pixels, Face(skin::kSequenceOn)->pixels);
}

TEST_F(MainWindowTest, HintsOfTheNineHintedComponents) {
  MainWindow& window = Start();
  struct Row {
    TControl* control;
    bool shown;
    std::string hint;
  };
  const std::vector<Row> rows = {
      {&window.aboutButton, false, "Информация об авторе."},
      {&window.helpButton, true, "Справка."},
      {&window.minimizeButton, true, "Свернуть программу."},
      {&window.exitButton, true, "Выход из программы."},
      {&window.stopButton, true, "Остановка таймера."},
      {&window.delayLabel, true, "Время стартовой задержки (>50)."},
      {&window.randomSwitch, true, "Случайный выбор картинки."},
      {&window.sequenceSwitch, true, "Выбор картинки поочерёдно."},
      {&window.folderList, true, "Папка с картинками."},
      {&window.background, false, ""},
      {&window.aboutPanel, false, ""},
      {&window.delayEditor, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control->Name());
    EXPECT_EQ(row.control->ShowHint(), row.shown);
    EXPECT_EQ(row.control->Hint(), row.hint);
  }
}

TEST_F(MainWindowTest, TabMovesBetweenTheFolderListAndTheFocusSink) {
  MainWindow& window = Start();
  EXPECT_EQ(window.FindNextControl(nullptr, true), &window.folderList) << "the first focus";
  EXPECT_EQ(window.FindNextControl(&window.folderList, true), &window.focusSink);
  EXPECT_EQ(window.FindNextControl(&window.focusSink, true), &window.folderList);
  EXPECT_EQ(window.FindNextControl(&window.folderList, false), &window.focusSink);
  window.SelectNext(true);
  EXPECT_EQ(window.ActiveControl(), &window.folderList);
  window.SelectNext(true);
  EXPECT_EQ(window.ActiveControl(), &window.focusSink);
}

TEST_F(MainWindowTest, EveryEventReachesItsHandler) {
  Settings({"C:\\Pics\\", "0", "0"});
  Pictures("C:\\Pics", {"a.jpg"});
  MainWindow& window = Start();
  ASSERT_FALSE(Step());  // the "0" delay stops the countdown: the gate is open
  ASSERT_FALSE(window.countdownTimer.Enabled());

  // Every picture button moves on its press and back on its release.
  for (TImage* button : {&window.aboutButton, &window.helpButton, &window.minimizeButton, &window.stopButton,
                         &window.randomSwitch, &window.sequenceSwitch}) {
    SCOPED_TRACE(button->Name());
    const int left = button->Left(), top = button->Top();
    button->MouseDown(TMouseButton::mbLeft, {}, 3, 3);
    EXPECT_EQ(button->Left(), left + 2);
    EXPECT_EQ(button->Top(), top + 2);
    button->MouseUp(TMouseButton::mbLeft, {}, 3, 3);
    EXPECT_EQ(button->Left(), left);
    EXPECT_EQ(button->Top(), top);
  }
  EXPECT_EQ(window.Width(), 469) << "aboutButton's release toggled the author panel";
  EXPECT_EQ(backend.minimized, 1) << "min's release minimized";
  EXPECT_EQ(os.ShellCalls().size(), 1u) << "helpButton's release started the help program";
  EXPECT_EQ(window.Mode(), kSequenceMode) << "sequenceSwitch's release chose the sequence";

  window.exitButton.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.exitButton.Left(), 252);

  window.delayLabel.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.delayEditor.Left(), 213) << "the label opened the delay editor";
  std::uint16_t enter = 13;
  window.delayEditor.KeyDown(enter, {});
  EXPECT_EQ(window.delayEditor.Left(), 10000) << "Enter closed it";

  window.folderList.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.PictureFolderPath(), "C:\\Pics\\") << "the folder list's press took its folder";

  EXPECT_EQ(ClickMayHalt(window.exitButton), std::optional<int>(0)) << "the exit button saved and ended";
}

TEST_F(MainWindowTest, AnErrorInAHandlerIsShownWithTheTitleAndTheProgramGoesOn) {
  Start();
  struct Case {
    std::string message, shown;
  };
  const std::vector<Case> cases = {
      {"I/O error 32", "I/O error 32."},
      {"Careful!", "Careful!"},
      {"", ""},
      {"Ends in a blank ", "Ends in a blank "},
      {"Invalid filename", "Invalid filename."},
      {"Ende: Straße", "Ende: Straße."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    backend.errorBoxes.clear();
    app->Dispatch([&] { throw EInvalidOperation(c.message); });
    ASSERT_EQ(backend.errorBoxes.size(), 1u);
    EXPECT_EQ(backend.errorBoxes[0].caption, "Pix_rn");
    EXPECT_EQ(backend.errorBoxes[0].text, c.shown);
  }
  // The failing handler is abandoned; the next one runs as usual.
  int ran = 0;
  app->Dispatch([&] { ++ran; });
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(backend.errorBoxes.size(), 1u);
}

TEST_F(MainWindowTest, TimerStartsAnewOnlyWhenItsSettingsChange) {
  MainWindow& window = Start();
  const int starts = backend.timerStarts;
  window.countdownTimer.SetEnabled(true);
  window.countdownTimer.SetInterval(1);
  EXPECT_EQ(backend.timerStarts, starts) << "an equal value changes nothing";
  window.countdownTimer.SetEnabled(false);
  EXPECT_FALSE(backend.IsRunning(window.countdownTimer));
  window.countdownTimer.SetEnabled(true);
  EXPECT_EQ(backend.timerStarts, starts + 1);
  EXPECT_TRUE(backend.IsRunning(window.countdownTimer));

  backend.refuseTimers = true;
  window.countdownTimer.SetEnabled(false);
  try {
    window.countdownTimer.SetEnabled(true);
    FAIL() << "no error without a timer";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message(), "Not enough timers available");
  }
}

}  // namespace
}  // namespace pix::test
