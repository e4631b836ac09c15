// The hint pop-ups: which text each control of the main window shows, the
// "|" and parent rules, and the pauses before a hint shows and hides, driven
// by a fake clock that the test moves forward.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "components/Hints.h"
#include "support/HeadlessBackend.h"
#include "support/memory/MemoryOs.h"

namespace pix::test {
namespace {

class FakeDisplay final : public HintDisplay {
 public:
  void ShowHint(const std::string& utf8Text, int cursorScreenX, int cursorScreenY) override {
    visible = true;
    text = utf8Text;
    x = cursorScreenX;
    y = cursorScreenY;
    ++shows;
  }
  void HideHint() override {
    EXPECT_TRUE(visible) << "hidden while not shown";
    visible = false;
  }
  // The text on the screen, or nullopt while nothing shows.
  std::optional<std::string> OnScreen() const { return visible ? std::optional(text) : std::nullopt; }

  bool visible = false;
  std::string text;
  int x = 0, y = 0;
  int shows = 0;
};

// A one-shot timer on a clock that only the test moves.
class FakeClock final : public HintClock {
 public:
  void StartHintTimer(unsigned milliseconds) override { remaining = milliseconds; }
  void StopHintTimer() override { remaining.reset(); }
  std::optional<unsigned> remaining;
};

class Rig {
 public:
  // Lets the time pass, firing the timer each time it runs out.
  void Advance(unsigned milliseconds) {
    while (clock.remaining && *clock.remaining <= milliseconds) {
      milliseconds -= *clock.remaining;
      clock.remaining.reset();
      hints.TimerFired();
    }
    if (clock.remaining) *clock.remaining -= milliseconds;
  }

  FakeDisplay display;
  FakeClock clock;
  HintController hints{display, clock};
};

class MainWindowHints : public ::testing::Test {
 protected:
  MainWindowHints() {
    os.AddDrive('c', DriveType::Fixed);
    os.MakeDirectory("C:\\Program");
  }
  TControl* Control(const std::string& name) {
    if (name.empty()) return nullptr;
    TControl* control = form.FindComponent(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  MemoryOs os;
  HeadlessBackend backend;
  TApplication app{os, backend};
  MainWindow& form = app.CreateForm<MainWindow>();
};

const std::map<std::string, std::string> kHintTexts = {
    {"helpButton", "Справка."},
    {"minimizeButton", "Свернуть программу."},
    {"exitButton", "Выход из программы."},
    {"stopButton", "Остановка таймера."},
    {"delayLabel", "Время стартовой задержки (>50)."},
    {"randomSwitch", "Случайный выбор картинки."},
    {"sequenceSwitch", "Выбор картинки поочерёдно."},
    {"folderList", "Папка с картинками."},
};

TEST_F(MainWindowHints, EightComponentsShowTheirTextAndNoOtherShowsAny) {
  ASSERT_EQ(form.Components().size(), 14u);
  int hinted = 0;
  for (TControl* control : form.Components()) {
    const auto expected = kHintTexts.find(control->Name());
    const TControl* owner = nullptr;
    const std::string text = HintTextFor(control, &owner);
    if (expected == kHintTexts.end()) {
      EXPECT_EQ(text, "") << control->Name();
      EXPECT_FALSE(control->ShowHint()) << control->Name();
    } else {
      ++hinted;
      EXPECT_EQ(text, expected->second) << control->Name();
      EXPECT_EQ(owner, control) << control->Name();
    }
  }
  EXPECT_EQ(hinted, 8);
  EXPECT_FALSE(form.ShowHint());
  EXPECT_EQ(HintTextFor(&form), "");
  EXPECT_EQ(HintTextFor(nullptr), "");
}

TEST_F(MainWindowHints, LogoHasATextButTakesTheWindowsSettingAndShowsNone) {
  EXPECT_EQ(form.aboutButton.Hint(), "Информация об авторе.");
  EXPECT_TRUE(form.aboutButton.ParentShowHint());
  const TControl* owner = &form;
  EXPECT_EQ(HintTextFor(&form.aboutButton, &owner), "");
  EXPECT_EQ(owner, nullptr);
  // Once the window shows hints, the aboutButton follows it.
  form.SetShowHint(true);
  EXPECT_EQ(HintTextFor(&form.aboutButton), "Информация об авторе.");
}

// A hint scenario, a step a word: "on" and "off" activate and deactivate the
// program, "cancel" is a key or button press, "@name" moves the cursor over
// that control ("@" alone: off the program's windows) and a number lets that
// many ms pass. "=name" after a step: that control's hint is on the screen
// afterwards; without it none is.
const std::pair<const char*, const char*> kScenarios[] = {
    {"the first hint waits 500 ms", "on @helpButton 499 1=helpButton"},
    {"moving within the control restarts neither pause",
     "on @helpButton 300 @helpButton 200=helpButton 2000=helpButton @helpButton=helpButton 499=helpButton 1"},
    {"a shown hint hides after 2500 ms and stays hidden on its control",
     "on @randomSwitch 500=randomSwitch 2499=randomSwitch 1 @randomSwitch 60000"},
    {"straight from one hinted control to another shows the second at once",
     "on @helpButton 500=helpButton @minimizeButton=minimizeButton @exitButton=exitButton 2499=exitButton 1"},
    {"after a hint hid by time the next control's shows at once",
     "on @helpButton 3000 @minimizeButton=minimizeButton"},
    {"crossing bare skin cancels and the next hint waits again",
     "on @helpButton 500=helpButton @background @minimizeButton 499 1=minimizeButton"},
    {"crossing bare skin after the hint hid cancels too",
     "on @helpButton 3000 @background @minimizeButton 499 1=minimizeButton"},
    {"the aboutButton counts as a control without a hint",
     "on @helpButton 500=helpButton @aboutButton 5000 @minimizeButton 499 1=minimizeButton"},
    {"leaving the program's windows cancels", "on @helpButton 500=helpButton @ @helpButton 499 1=helpButton"},
    {"a pause moves to the next control while no hint has shown",
     "on @helpButton 300 @minimizeButton 499 1=minimizeButton"},
    {"a key or button hides the hint and the same control waits again",
     "on @helpButton 500=helpButton cancel 5000 @helpButton 499 1=helpButton"},
    {"a cancel during the pause stops it", "on @helpButton 300 cancel 5000"},
    {"after a cancel the next control waits the full pause",
     "on @helpButton 500=helpButton cancel @minimizeButton 499 1=minimizeButton"},
    {"deactivation hides the hint and no hint shows while inactive",
     "on @helpButton 500=helpButton off @minimizeButton 5000 on 5000 @minimizeButton 499 1=minimizeButton"},
    {"deactivation during the pause stops it", "on @helpButton 300 off 5000"},
    {"no hint before the program is active", "@helpButton 5000 @minimizeButton 5000"},
    {"the focus sink shows none", "on @focusSink 5000"},
    {"the folder list shows its hint", "on @folderList 500=folderList"},
};

TEST_F(MainWindowHints, TimingScenarios) {
  for (const auto& [name, steps] : kScenarios) {
    SCOPED_TRACE(name);
    Rig rig;
    std::istringstream words(steps);
    std::string word;
    for (int n = 1; words >> word; ++n) {
      const std::size_t eq = word.find('=');
      const std::string step = word.substr(0, eq);
      if (step == "on" || step == "off") {
        rig.hints.ApplicationActivated(step == "on");
      } else if (step == "cancel") {
        rig.hints.CancelMessage();
      } else if (step[0] == '@') {
        rig.hints.MouseMoved(Control(step.substr(1)), 100 + n, 200 + n);
      } else {
        rig.Advance(static_cast<unsigned>(std::stoul(step)));
      }
      const auto shown =
          eq == std::string::npos ? std::nullopt : std::optional(kHintTexts.at(word.substr(eq + 1)));
      EXPECT_EQ(rig.display.OnScreen(), shown) << "after step " << n << ", " << word;
    }
  }
}

TEST_F(MainWindowHints, AHintShowsAtTheCursorWhereItWasLastWhenThePauseEnds) {
  Rig rig;
  rig.hints.ApplicationActivated(true);
  rig.hints.MouseMoved(&form.sequenceSwitch, 300, 400);
  rig.hints.MouseMoved(&form.sequenceSwitch, 305, 410);
  EXPECT_EQ(rig.hints.Phase(), HintPhase::Waiting);
  EXPECT_EQ(rig.hints.HintControl(), &form.sequenceSwitch);
  rig.Advance(500);
  EXPECT_EQ(rig.display.OnScreen(), "Выбор картинки поочерёдно.");
  EXPECT_EQ(rig.display.x, 305);
  EXPECT_EQ(rig.display.y, 410);
  EXPECT_EQ(rig.hints.Phase(), HintPhase::Shown);
  // A move within the control leaves the hint where it is.
  rig.hints.MouseMoved(&form.sequenceSwitch, 320, 415);
  EXPECT_EQ(rig.display.x, 305);
  EXPECT_EQ(rig.display.shows, 1);
  // The next control's hint comes at once, at the cursor of that move.
  rig.hints.MouseMoved(&form.randomSwitch, 230, 390);
  EXPECT_EQ(rig.display.OnScreen(), "Случайный выбор картинки.");
  EXPECT_EQ(rig.display.x, 230);
  EXPECT_EQ(rig.display.y, 390);
  EXPECT_EQ(rig.display.shows, 2);
  rig.Advance(2500);
  EXPECT_EQ(rig.hints.Phase(), HintPhase::Expired);
  EXPECT_TRUE(rig.hints.HintActive());
  EXPECT_FALSE(rig.clock.remaining.has_value());
  rig.hints.CancelMessage();
  EXPECT_EQ(rig.hints.Phase(), HintPhase::Idle);
  EXPECT_FALSE(rig.hints.HintActive());
  EXPECT_EQ(rig.hints.HintControl(), nullptr);
}

TEST_F(MainWindowHints, TheDelayEditorOverTheLabelShowsNoHint) {
  form.countdownTimer.SetEnabled(false);
  form.OnDelayLabelPress();
  ASSERT_EQ(form.delayEditor.Left(), form.delayLabel.Left());
  ASSERT_EQ(form.delayEditor.Top(), form.delayLabel.Top());
  EXPECT_TRUE(form.delayEditor.ParentShowHint());
  EXPECT_EQ(HintTextFor(&form.delayEditor), "");

  Rig rig;
  rig.hints.ApplicationActivated(true);
  rig.hints.MouseMoved(&form.delayLabel, 220, 140);
  rig.Advance(500);
  ASSERT_EQ(rig.display.OnScreen(), "Время стартовой задержки (>50).");
  // The editor lies over the label: the control under the cursor is the editor.
  rig.hints.MouseMoved(&form.delayEditor, 221, 140);
  EXPECT_EQ(rig.display.OnScreen(), std::nullopt);
  rig.Advance(5000);
  EXPECT_EQ(rig.display.OnScreen(), std::nullopt);
  EXPECT_EQ(rig.hints.Phase(), HintPhase::Idle);
}

// Controls outside any window, to try the rules on.
struct Tree {
  TPanel root{"root", nullptr, 0, 0, 100, 100};
  TPanel panel{"panel", &root, 0, 0, 50, 50};
  TImage child{"child", &panel, 0, 0, 10, 10};
};

TEST(HintText, OnlyThePartBeforeTheFirstBarShows) {
  const std::pair<const char*, const char*> cases[] = {
      {"Short|Long explanation", "Short"},  {"a|b|c", "a"},
      {"No bar at all.", "No bar at all."}, {"Trailing|", "Trailing"},
      {"|Only the long part", ""},          {"", ""},
      {"Папка|с картинками", "Папка"},
  };
  for (const auto& [hint, shown] : cases) {
    Tree tree;
    tree.child.SetHint(hint);
    tree.child.SetShowHint(true);
    EXPECT_EQ(HintTextFor(&tree.child), shown) << hint;
  }
}

// Each case stages the tree in words "control.property=value": the hint's
// text, show (ShowHint), parent (ParentShowHint) and enabled, 1 or 0.
TEST(HintText, ShowHintAndTheTextComeFromTheParents) {
  struct Case {
    const char* name;
    const char* stage;
    const char* text;
    const char* owner;  // the control whose ShowHint is on, "" for none
  };
  const Case cases[] = {
      {"nothing on", "", "", ""},
      {"the child's own", "child.hint=Own child.show=1", "Own", "child"},
      {"on by the parent, the child's own text", "panel.show=1 child.hint=Own", "Own", "child"},
      {"on by the parent, the parent's text", "panel.show=1 panel.hint=Panel", "Panel", "child"},
      {"on by the grandparent through the parent, the grandparent's text", "root.show=1 root.hint=Root|more",
       "Root", "child"},
      {"the nearest parent's text wins", "root.show=1 root.hint=Root panel.hint=Panel", "Panel", "child"},
      {"the child turned off: the parent shows its hint",
       "panel.show=1 panel.hint=Panel child.hint=Own child.show=0", "Panel", "panel"},
      {"the parent off, the child following it: the grandparent shows its own",
       "root.show=1 root.hint=Root panel.show=0 child.hint=Own", "Root", "root"},
      {"the child follows its parent again", "child.hint=Own child.show=1 child.parent=1", "", ""},
      {"a disabled control shows its hint", "child.hint=Own child.show=1 child.enabled=0", "Own", "child"},
      {"on, but no text anywhere", "child.show=1", "", "child"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tree tree;
    const std::map<std::string, TControl*> byName = {
        {"", nullptr}, {"root", &tree.root}, {"panel", &tree.panel}, {"child", &tree.child}};
    std::istringstream words(c.stage);
    for (std::string word; words >> word;) {
      const std::size_t dot = word.find('.'), eq = word.find('=');
      TControl& control = *byName.at(word.substr(0, dot));
      const std::string property = word.substr(dot + 1, eq - dot - 1), value = word.substr(eq + 1);
      if (property == "hint") {
        control.SetHint(value);
      } else if (property == "show") {
        control.SetShowHint(value == "1");
      } else if (property == "parent") {
        control.SetParentShowHint(value == "1");
      } else {
        ASSERT_EQ(property, "enabled");
        control.SetEnabled(value == "1");
      }
    }
    const TControl* owner = &tree.root;
    EXPECT_EQ(HintTextFor(&tree.child, &owner), c.text);
    EXPECT_EQ(owner, byName.at(c.owner));
  }
}

TEST(HintText, ParentShowHintFollowsTheParentUntilShowHintIsSet) {
  Tree tree;
  EXPECT_TRUE(tree.child.ParentShowHint());
  EXPECT_FALSE(tree.child.ShowHint());
  tree.panel.SetShowHint(true);
  EXPECT_FALSE(tree.panel.ParentShowHint());
  EXPECT_TRUE(tree.child.ShowHint());
  tree.panel.SetShowHint(false);
  EXPECT_FALSE(tree.child.ShowHint());
  // Setting it directly breaks the link to the parent.
  tree.child.SetShowHint(true);
  EXPECT_FALSE(tree.child.ParentShowHint());
  tree.panel.SetShowHint(false);
  EXPECT_TRUE(tree.child.ShowHint());
  tree.child.SetShowHint(false);
  tree.panel.SetShowHint(true);
  EXPECT_FALSE(tree.child.ShowHint());
}

TEST(HintController, AControlWithHintOnButNoTextCountsAsBareSkin) {
  Tree tree;
  tree.panel.SetHint("Panel");
  tree.panel.SetShowHint(true);
  tree.child.SetShowHint(false);
  TImage bare{"bare", &tree.root, 60, 60, 10, 10};
  bare.SetShowHint(true);
  Rig rig;
  rig.hints.ApplicationActivated(true);
  rig.hints.MouseMoved(&tree.panel, 1, 1);
  rig.Advance(500);
  ASSERT_EQ(rig.display.OnScreen(), "Panel");
  // The child shows its parent's hint: the same hint, nothing changes.
  rig.hints.MouseMoved(&tree.child, 2, 2);
  EXPECT_EQ(rig.display.shows, 1);
  EXPECT_EQ(rig.hints.HintControl(), &tree.panel);
  rig.hints.MouseMoved(&bare, 61, 61);
  EXPECT_EQ(rig.display.OnScreen(), std::nullopt);
  EXPECT_FALSE(rig.hints.HintActive());
  rig.hints.MouseMoved(&tree.panel, 1, 1);
  rig.Advance(499);
  EXPECT_EQ(rig.display.OnScreen(), std::nullopt);
  rig.Advance(1);
  EXPECT_EQ(rig.display.OnScreen(), "Panel");
}

TEST(HintPlace, AtTheCursorBelowItAndMovedOntoTheDesktop) {
  const ScreenRect desktop{0, 0, 1024, 738};
  const struct {
    const char* name;
    int x, y, depth, width, height;
    ScreenRect place;
  } cases[] = {
      {"in the open", 100, 200, 19, 80, 19, {100, 219, 180, 238}},
      {"touching the right edge", 944, 200, 19, 80, 19, {944, 219, 1024, 238}},
      {"past the right edge", 1000, 200, 19, 80, 19, {944, 219, 1024, 238}},
      {"touching the bottom", 100, 700, 19, 80, 19, {100, 719, 180, 738}},
      {"past the bottom", 100, 730, 19, 80, 19, {100, 719, 180, 738}},
      {"the corner", 1023, 737, 19, 80, 19, {944, 719, 1024, 738}},
      {"outside the desktop", 1500, 900, 19, 80, 19, {944, 719, 1024, 738}},
      {"wider than the desktop", 10, 10, 19, 1100, 19, {0, 29, 1100, 48}},
      {"left of the desktop", -50, -40, 19, 80, 19, {0, 0, 80, 19}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlaceHint(c.x, c.y, c.depth, c.width, c.height, desktop), c.place) << c.name;
  // A desktop that does not start at 0 (a work area beside a taskbar).
  EXPECT_EQ(PlaceHint(5, 5, 19, 80, 19, ScreenRect{60, 30, 1024, 768}), (ScreenRect{60, 30, 140, 49}));
}

}  // namespace
}  // namespace pix::test
