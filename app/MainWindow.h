// The main window: one borderless skinned panel whose controls are bound to
// the rotation core's actions. What the user never sees (the picture
// folder, the configured delay, the countdown, the mode, the pictures, the
// drives, the switch faces) is plain state here, not hidden controls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "components/Application.h"
#include "components/Form.h"
#include "core/Countdown.h"
#include "core/DriveList.h"
#include "core/PictureFolder.h"
#include "widgets/DirectoryListBox.h"

namespace pix {

class MainWindow : public TForm {
 public:
  explicit MainWindow(TApplication& application);

  // The window's components, in creation order: the pictures and the label
  // paint in it, one over another, and the windowed controls lie above them.
  TImage background;
  TImage aboutButton;
  TImage helpButton;
  TImage minimizeButton;
  TImage exitButton;
  TImage stopButton;
  TImage aboutPanel;
  TLabel delayLabel;
  TImage randomSwitch;
  TImage sequenceSwitch;
  TPanel folderListFrame;  // clips the folder list's own frame away
  TDirectoryListBox folderList;
  TEdit delayEditor;
  // Where the keyboard focus goes when the delay editor closes. Windows
  // needs a window to hold the focus, and the folder list would otherwise
  // take the keys typed after an edit, so it stays a real control, out of
  // sight beyond the window's right edge.
  TEdit focusSink;
  TTimer countdownTimer;

  // The state behind the controls, as the settings file holds it.
  const std::string& PictureFolderPath() const { return pictureFolderPath_; }
  const std::string& ConfiguredDelay() const { return configuredDelay_; }
  SelectionMode Mode() const { return mode_; }
  PictureFolder& Pictures() { return pictures_; }
  DriveList& Drives() { return drives_; }
  bool CountdownRuns() const { return countdownTimer.Enabled(); }

  // The window's events.
  void OnCreateWindow();
  void OnCountdownStep();
  void OnDelayLabelPress();
  void OnDelayEditorKey(std::uint16_t key);
  void OnFolderListPress(TMouseButton button);

  // The picture buttons' commands.
  void ToggleAboutPanel();
  void StartHelp();
  void SaveSettingsAndExit();
  void StopCountdown();
  // A switch's press: the mode it leads to, shown on both switches.
  void ChooseMode(SelectionMode mode);

 private:
  Os& os() const { return Application().os(); }
  void LoadPictures();
  void BindControls();
  // A picture button: a press moves the picture 2 px right and down, a
  // release moves it back, then runs the command; a gated one only while no
  // countdown runs.
  void BindPictureButton(TImage& button, std::function<void()> command, bool gated);
  void ShowCountdown(std::string value);
  void ShowModeFaces(SelectionMode mode);
  void CloseDelayEditor();
  void EndCountdown();

  PointerBusyIndicator busy_;
  std::string pictureFolderPath_;
  std::string configuredDelay_ = "0";
  std::string delayBeforeEdit_;  // what Esc puts back
  SelectionMode mode_ = kRandomMode;
  Countdown countdown_;
  PictureFolder pictures_;
  DriveList drives_;
  // The switches' faces: the on face shows on the switch of the mode that is on.
  std::shared_ptr<const TPicture> randomOn_, randomOff_, sequenceOn_, sequenceOff_;
};

}  // namespace pix
