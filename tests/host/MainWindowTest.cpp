// The main window as built, driven headless: its components, their order and
// places, the hints, the focus, and the handlers bound to their events.
#include "MainWindowFixture.h"
#include "settings/Errors.h"

namespace pix::test {
namespace {

TEST_F(MainWindowTest, ComponentsStandWhereTheLayoutPutsThem) {
  TForm1& window = Start();
  struct Row {
    std::string name;
    std::string parent;
    int left, top, width, height;
    bool enabled;
  };
  // In creation order; every picture takes its picture's size.
  const std::vector<Row> rows = {
      {"back", "Form1", 0, 0, 276, 196, true},      {"logo", "Form1", 207, 174, 60, 12, true},
      {"vpr", "Form1", 250, 17, 17, 18, true},      {"min", "Form1", 250, 50, 17, 18, true},
      {"hlt", "Form1", 250, 83, 17, 18, true},      {"MinBut", "Form1", 247, 148, 11, 11, true},
      {"authprg", "Form1", 275, 0, 194, 196, true}, {"tim", "Form1", 213, 138, 31, 13, true},
      {"sfl", "Form1", 219, 32, 17, 18, true},      {"nsfl", "Form1", 219, 66, 17, 18, true},
      {"nsfl1", "Form1", 544, 136, 17, 18, true},   {"nsfl2", "Form1", 544, 160, 17, 18, true},
      {"sfl1", "Form1", 576, 136, 17, 18, true},    {"sfl2", "Form1", 576, 160, 17, 18, true},
      {"dirbord", "Form1", 18, 16, 168, 160, true}, {"chdis", "dirbord", -2, -2, 172, 164, true},
      {"drv", "Form1", 472, 0, 113, 19, false},     {"Edit1", "Form1", 472, 22, 113, 21, false},
      {"Edit2", "Form1", 472, 46, 113, 21, false},  {"Edit3", "Form1", 472, 70, 113, 21, false},
      {"tim2", "Form1", 500, 138, 31, 13, false},   {"xxx", "Form1", 472, 94, 25, 21, true},
      {"pth", "Form1", 616, 152, 113, 21, false},   {"chdis2", "Form1", 592, 0, 129, 137, false},
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
  EXPECT_EQ(window.Timers()[0], &window.cyber);
}

TEST_F(MainWindowTest, WindowProperties) {
  TForm1& window = Start();
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

  EXPECT_EQ(window.tim.Caption(), "0");
  EXPECT_TRUE(window.tim.Transparent());
  EXPECT_EQ(window.tim2.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(window.tim2.Color(), clBlack);
  EXPECT_EQ(window.tim2.Font().color, clSilver);
  EXPECT_EQ(window.chdis.Color(), 8946824u);
  EXPECT_EQ(window.chdis.ItemHeight(), 16);
  EXPECT_EQ(window.chdis2.Mask(), "*.jpg");
  EXPECT_EQ(window.chdis2.ItemHeight(), 13);
  EXPECT_EQ(window.cyber.Interval(), 1u);
  EXPECT_TRUE(window.cyber.Enabled());
  EXPECT_TRUE(backend.IsRunning(window.cyber)) << "live from the window's creation on";
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
  TForm1& window = Start();
  EXPECT_EQ(window.sfl.Picture()->pixels, window.sfl2.Picture()->pixels) << "random looks on";
  EXPECT_NE(window.nsfl.Picture()->pixels, window.nsfl1.Picture()->pixels);
  EXPECT_NE(window.nsfl.Picture()->pixels, window.nsfl2.Picture()->pixels);
}

TEST_F(MainWindowTest, HintsOfTheNineHintedComponents) {
  TForm1& window = Start();
  struct Row {
    TControl* control;
    bool shown;
    std::string hint;
  };
  const std::vector<Row> rows = {
      {&window.logo, false, "Информация об авторе."},
      {&window.vpr, true, "Справка."},
      {&window.min, true, "Свернуть программу."},
      {&window.hlt, true, "Выход из программы."},
      {&window.MinBut, true, "Остановка таймера."},
      {&window.tim, true, "Время стартовой задержки (>50)."},
      {&window.sfl, true, "Случайный выбор картинки."},
      {&window.nsfl, true, "Выбор картинки поочерёдно."},
      {&window.chdis, true, "Папка с картинками."},
      {&window.back, false, ""},
      {&window.authprg, false, ""},
      {&window.tim2, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control->Name());
    EXPECT_EQ(row.control->ShowHint(), row.shown);
    EXPECT_EQ(row.control->Hint(), row.hint);
  }
}

TEST_F(MainWindowTest, TabMovesBetweenTheFolderListAndTheFocusSink) {
  TForm1& window = Start();
  EXPECT_EQ(window.FindNextControl(nullptr, true), &window.chdis) << "the first focus";
  EXPECT_EQ(window.FindNextControl(&window.chdis, true), &window.xxx);
  EXPECT_EQ(window.FindNextControl(&window.xxx, true), &window.chdis);
  EXPECT_EQ(window.FindNextControl(&window.chdis, false), &window.xxx);
  window.SelectNext(true);
  EXPECT_EQ(window.ActiveControl(), &window.chdis);
  window.SelectNext(true);
  EXPECT_EQ(window.ActiveControl(), &window.xxx);
}

TEST_F(MainWindowTest, EveryEventReachesItsHandler) {
  Settings({"C:\\Pics\\", "0", "0"});
  Pictures("C:\\Pics", {"a.jpg"});
  TForm1& window = Start();
  ASSERT_FALSE(Step());  // the "0" delay stops the countdown: the gate is open
  ASSERT_FALSE(window.cyber.Enabled());

  // Every picture button moves on its press and back on its release.
  for (TImage* button : {&window.logo, &window.vpr, &window.min, &window.MinBut, &window.sfl, &window.nsfl}) {
    SCOPED_TRACE(button->Name());
    const int left = button->Left(), top = button->Top();
    button->MouseDown(TMouseButton::mbLeft, {}, 3, 3);
    EXPECT_EQ(button->Left(), left + 2);
    EXPECT_EQ(button->Top(), top + 2);
    button->MouseUp(TMouseButton::mbLeft, {}, 3, 3);
    EXPECT_EQ(button->Left(), left);
    EXPECT_EQ(button->Top(), top);
  }
  EXPECT_EQ(window.Width(), 469) << "logo's release toggled the author panel";
  EXPECT_EQ(backend.minimized, 1) << "min's release minimized";
  EXPECT_EQ(os.ShellCalls().size(), 1u) << "vpr's release started the help program";
  EXPECT_EQ(window.SelectionMode, smSequential) << "nsfl's release chose the sequence";

  window.hlt.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.hlt.Left(), 252);

  window.tim.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.tim2.Left(), 213) << "the label opened the delay editor";
  std::uint16_t enter = 13;
  window.tim2.KeyDown(enter, {});
  EXPECT_EQ(window.tim2.Left(), 10000) << "Enter closed it";

  window.chdis.MouseDown(TMouseButton::mbLeft, {}, 3, 3);
  EXPECT_EQ(window.pth.Text(), "C:\\Pics\\") << "the folder list's press took its folder";

  EXPECT_EQ(ClickMayHalt(window.hlt), std::optional<int>(0)) << "the exit button saved and ended";
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
  TForm1& window = Start();
  const int starts = backend.timerStarts;
  window.cyber.SetEnabled(true);
  window.cyber.SetInterval(1);
  EXPECT_EQ(backend.timerStarts, starts) << "an equal value changes nothing";
  window.cyber.SetEnabled(false);
  EXPECT_FALSE(backend.IsRunning(window.cyber));
  window.cyber.SetEnabled(true);
  EXPECT_EQ(backend.timerStarts, starts + 1);
  EXPECT_TRUE(backend.IsRunning(window.cyber));

  backend.refuseTimers = true;
  window.cyber.SetEnabled(false);
  try {
    window.cyber.SetEnabled(true);
    FAIL() << "no error without a timer";
  } catch (const EOutOfResources& error) {
    EXPECT_EQ(error.Message(), "Not enough timers available");
  }
}

}  // namespace
}  // namespace pix::test
