#include "app/MainWindow.h"

#include <exception>
#include <initializer_list>
#include <new>

#include "core/PathRules.h"
#include "core/Rotation.h"
#include "platform/ListingShare.h"
#include "settings/Errors.h"
#include "settings/LenientInt.h"
#include "settings/SettingsFile.h"
#include "skin/SkinNames.h"

namespace pix {

namespace {
// The folder list's own grey: red 136, green 132, blue 136.
constexpr TColor kFolderListColour = 8946824;
constexpr int kNarrowWidth = 276, kWideWidth = 469;
// The delay editor covers the label while it is open, and is parked far
// beyond the window's right edge otherwise.
constexpr int kEditorOverLabel = 213, kEditorParked = 10000;
constexpr std::uint16_t kEnter = 13, kEscape = 27;
// The help program, in a folder of its own beside the executable.
constexpr const char* kHelpProgram = "help\\Hlp_Vw.exe";

void ShowHintOf(TControl& control, const char* hint) {
  control.SetHint(hint);
  control.SetShowHint(true);
}
}  // namespace

MainWindow::MainWindow(TApplication& application)
    : TForm(application, "Form1", 14, 188, 760, 196),
      background("background", this, 0, 0, 276, 196),
      aboutButton("aboutButton", this, 207, 174, 60, 12),
      helpButton("helpButton", this, 250, 17, 17, 18),
      minimizeButton("minimizeButton", this, 250, 50, 17, 18),
      exitButton("exitButton", this, 250, 83, 17, 18),
      stopButton("stopButton", this, 247, 148, 11, 11),
      aboutPanel("aboutPanel", this, 275, 0, 194, 196),
      delayLabel("delayLabel", this, 213, 138, 31, 13),
      randomSwitch("randomSwitch", this, 219, 32, 17, 18),
      sequenceSwitch("sequenceSwitch", this, 219, 66, 17, 18),
      folderListFrame("folderListFrame", this, 18, 16, 168, 160),
      folderList("folderList", &folderListFrame, -2, -2, 172, 164, application.os()),
      delayEditor("delayEditor", this, 500, 138, 31, 13, "0"),
      // Its text is never seen, but other programs that look at the focus read it.
      focusSink("focusSink", this, 472, 94, 25, 21, "xxx"),
      countdownTimer("countdownTimer"),
      busy_(application.Backend().Pointer()),
      pictures_(application.os(), &busy_),
      drives_(application.os()) {
  SetCaption("Form1");
  SetBorderStyle(TBorderStyle::bsNone);
  SetColor(clBlack);
  SetPosition(TPosition::poScreenCenter);

  for (TControl* control :
       std::initializer_list<TControl*>{&background, &aboutButton, &helpButton, &minimizeButton, &exitButton,
                                        &stopButton, &aboutPanel, &delayLabel, &randomSwitch, &sequenceSwitch,
                                        &folderListFrame, &folderList, &delayEditor, &focusSink})
    Insert(*control);
  Insert(countdownTimer);

  // Tab moves between the folder list and the focus sink; the editor takes
  // the focus only while it is open.
  int order = 0;
  for (TWinControl* control : std::initializer_list<TWinControl*>{&folderListFrame, &delayEditor, &focusSink})
    control->SetTabOrder(order++);
  folderList.SetTabOrder(0);
  delayEditor.SetEnabled(false);

  delayLabel.SetCaption(countdown_.Value());
  delayLabel.SetTransparent(true);
  delayEditor.SetBorderStyle(TBorderStyle::bsNone);
  delayEditor.SetColor(clBlack);
  delayEditor.SetFont(TFont{"MS Sans Serif", -11, clSilver});
  folderList.SetColor(kFolderListColour);
  folderList.SetItemHeight(16);
  pictures_.SetMask("*.jpg");

  // Only the part before a "|" of a hint is shown; these have none.
  aboutButton.SetHint("Информация об авторе.");  // takes its setting from the window: not shown
  ShowHintOf(helpButton, "Справка.");
  ShowHintOf(minimizeButton, "Свернуть программу.");
  ShowHintOf(exitButton, "Выход из программы.");
  ShowHintOf(stopButton, "Остановка таймера.");
  ShowHintOf(delayLabel, "Время стартовой задержки (>50).");
  ShowHintOf(randomSwitch, "Случайный выбор картинки.");
  ShowHintOf(sequenceSwitch, "Выбор картинки поочерёдно.");
  ShowHintOf(folderList, "Папка с картинками.");

  LoadPictures();
  BindControls();
  countdownTimer.SetInterval(1);
}

void MainWindow::LoadPictures() {
  PictureSource& pictures = Application().Backend().Pictures();
  const std::pair<TImage*, const char*> faces[] = {
      {&background, skin::kBackground},        {&aboutButton, skin::kAboutButton},
      {&helpButton, skin::kHelpButton},        {&minimizeButton, skin::kMinimizeButton},
      {&exitButton, skin::kExitButton},        {&stopButton, skin::kStopButton},
      {&aboutPanel, skin::kAboutPanel},        {&randomSwitch, skin::kRandomSwitch},
      {&sequenceSwitch, skin::kSequenceSwitch}};
  for (const auto& [image, name] : faces)
    image->SetPicture(pictures.Load(name));
  randomOn_ = pictures.Load(skin::kRandomOn);
  randomOff_ = pictures.Load(skin::kRandomOff);
  sequenceOn_ = pictures.Load(skin::kSequenceOn);
  sequenceOff_ = pictures.Load(skin::kSequenceOff);
}

void MainWindow::BindPictureButton(TImage& button, std::function<void()> command, bool gated) {
  button.OnMouseDown = [&button](TObject*, TMouseButton, TShiftState, int, int) {
    button.SetBounds(button.Left() + 2, button.Top() + 2, button.Width(), button.Height());
  };
  button.OnMouseUp = [this, &button, command = std::move(command), gated](TObject*, TMouseButton, TShiftState,
                                                                          int, int) {
    button.SetBounds(button.Left() - 2, button.Top() - 2, button.Width(), button.Height());
    if (gated && CountdownRuns()) return;
    command();
  };
}

void MainWindow::BindControls() {
  OnCreate = [this](TObject*) { OnCreateWindow(); };
  BindPictureButton(
      aboutButton, [this] { ToggleAboutPanel(); }, false);
  BindPictureButton(
      helpButton, [this] { StartHelp(); }, true);
  BindPictureButton(
      minimizeButton, [this] { Application().Minimize(); }, true);
  BindPictureButton(
      exitButton, [this] { SaveSettingsAndExit(); }, true);
  BindPictureButton(
      stopButton, [this] { StopCountdown(); }, false);
  BindPictureButton(
      randomSwitch, [this] { ChooseMode(AfterRandomSwitch(mode_)); }, true);
  BindPictureButton(
      sequenceSwitch, [this] { ChooseMode(AfterSequenceSwitch(mode_)); }, true);
  delayLabel.OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { OnDelayLabelPress(); };
  folderList.OnMouseDown = [this](TObject*, TMouseButton button, TShiftState, int, int) {
    OnFolderListPress(button);
  };
  delayEditor.OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) { OnDelayEditorKey(key); };
  // What is typed is the delay, even before Enter: the exit button saves it.
  delayEditor.OnEdited = [this](TObject*) { configuredDelay_ = delayEditor.Text(); };
  countdownTimer.SetOnTimer([this](TObject*) { OnCountdownStep(); });
}

void MainWindow::ShowCountdown(std::string value) {
  countdown_.SetValue(std::move(value));
  delayLabel.SetCaption(countdown_.Value());
}

void MainWindow::ShowModeFaces(SelectionMode mode) {
  const bool random = mode == kRandomMode;
  randomSwitch.SetPicture(random ? randomOn_ : randomOff_);
  sequenceSwitch.SetPicture(random ? sequenceOff_ : sequenceOn_);
}

void MainWindow::OnCreateWindow() {
  pictureFolderPath_ = ExecutableFolder(os());
  SetWidth(kNarrowWidth);
  try {
    TextFileReader settings(os(), SettingsFilePath(os()));
    const std::string folder = settings.ReadLine();
    pictureFolderPath_ = folder;
    // A saved folder that has gone (or that the lists refuse) leaves them
    // where they are; the delay and the mode still load, but the countdown
    // stays off so that the window opens for the user to choose again.
    bool folderTaken = true;
    try {
      // Both lists read the same folder: once is enough.
      const ListingShare share(os());
      folderList.SetFolderPath(folder);
      pictures_.ApplyPath(folder);
    } catch (const Exception&) {
      folderTaken = false;
    } catch (const std::bad_alloc&) {
      // A folder too large to list in this process is one that cannot be
      // listed: no box at log-on.
      folderTaken = false;
    }
    const std::string delay = settings.ReadLine();
    if (folderTaken) ShowCountdown(delay);
    configuredDelay_ = delay;
    mode_ = ParseLenientInt(settings.ReadLine());
    if (mode_ == kRandomMode || mode_ == kSequenceMode) ShowModeFaces(mode_);
    settings.Close();
  } catch (const Exception&) {
    // No settings yet, or unreadable ones: the window opens with what it has.
  }
}

void MainWindow::OnCountdownStep() {
  switch (countdown_.Step(os().GetLocalTime().millisecond, mode_)) {
    case StepOutcome::Ignored:
    case StepOutcome::Idle:
      return;
    case StepOutcome::Stopped:
      EndCountdown();
      return;
    case StepOutcome::AdvanceSequence:
      // First, so that a failure below cannot make the advance run again.
      mode_ = kSequenceAdvancedMode;
      AdvanceSequence(os(), pictures_, SettingsFilePath(os()), {pictureFolderPath_, configuredDelay_, mode_});
      return;
    case StepOutcome::Counted:
      delayLabel.SetCaption(countdown_.Value());
      return;
    case StepOutcome::Install:
      countdownTimer.SetEnabled(false);
      if (mode_ == kRandomMode) {
        // The picture picked has been read whole already: it is not read again.
        SeededDraws draws(os());
        if (const auto picture = PickAtRandom(os(), pictures_, draws)) InstallPicture(os(), *picture);
      } else {
        InstallPicture(os(), pictures_.SelectedFilePath());
      }
      Application().Halt(0);
  }
}

void MainWindow::EndCountdown() {
  countdownTimer.SetEnabled(false);
  // A press during the countdown disabled the folder list; now it may work.
  folderList.SetEnabled(true);
}

void MainWindow::StopCountdown() {
  EndCountdown();
  ShowCountdown(configuredDelay_);
}

void MainWindow::OnDelayLabelPress() {
  if (CountdownRuns()) return;
  delayBeforeEdit_ = configuredDelay_;
  configuredDelay_ = countdown_.Value();
  delayEditor.SetEnabled(true);
  delayEditor.SetText(configuredDelay_);
  delayEditor.SetLeft(kEditorOverLabel);
  delayEditor.SelectAll();
  delayEditor.SetFocus();
}

void MainWindow::OnDelayEditorKey(std::uint16_t key) {
  if (key == kEnter) {
    configuredDelay_ = CommittedDelay(configuredDelay_);
    ShowCountdown(configuredDelay_);
    CloseDelayEditor();
  } else if (key == kEscape) {
    // A cancelled edit leaves the saved delay as it was.
    configuredDelay_ = delayBeforeEdit_;
    CloseDelayEditor();
  }
}

void MainWindow::CloseDelayEditor() {
  delayEditor.SetText(configuredDelay_);
  delayEditor.SetLeft(kEditorParked);
  delayEditor.SetEnabled(false);
  focusSink.SetFocus();
}

void MainWindow::OnFolderListPress(TMouseButton button) {
  // While the countdown runs the list takes no further input.
  folderList.SetEnabled(!CountdownRuns());

  if (button == TMouseButton::mbLeft) {
    pictureFolderPath_ = folderList.FolderPath();
    // A drive root keeps its own backslash.
    if (pictureFolderPath_.size() > 3) pictureFolderPath_ += "\\";
  } else if (button == TMouseButton::mbRight) {
    MoveToNextDrive(drives_, [this](const std::string& root) {
      try {
        folderList.SetFolderPath(root);
        return true;
      } catch (const std::exception&) {
        return false;
      }
    });
  }
}

void MainWindow::ToggleAboutPanel() {
  SetWidth(Width() != kWideWidth ? kWideWidth : kNarrowWidth);
}

void MainWindow::StartHelp() {
  const std::string folder = ExecutableFolder(os());
  const std::string help = folder + kHelpProgram;
  // A path that does not fit would name another file: it is not used at all.
  if (help.size() > kLongestPath) return;
  // The help program starts in its own folder.
  os().ShellExecute(WindowHandle(), help, folder + "help", kShowNormal);
}

void MainWindow::ChooseMode(SelectionMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  ShowModeFaces(mode_);
}

void MainWindow::SaveSettingsAndExit() {
  WriteSettingsLines(os(), SettingsFilePath(os()),
                     {pictureFolderPath_, configuredDelay_, SavedModeText(mode_), "-1"});
  Application().Halt(0);
}

}  // namespace pix
