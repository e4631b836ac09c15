// The main window: one borderless skinned panel with its 25 components and
// the program's event handlers. The handlers live beside the subsystem they
// belong to: the countdown, the installation, the delay editor and the mode
// switches in rotation/, the folder selection in filectrl/, start-up, the
// exit and the window buttons here.
#pragma once

#include <cstdint>

#include "filectrl/FileCtrl.h"
#include "shell/components/Application.h"
#include "shell/components/Form.h"

namespace pix {

// How the countdown picks its picture.
enum SelectionModeValue : std::int32_t {
  smRandom = 0,
  smSequential = 1,          // one after another, the index not yet advanced in this run
  smSequentialAdvanced = 2,  // one after another, advanced in this run
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TApplication& application);

  // The fields, in their declared order; the constructor creates them in the
  // window's creation order.
  TImage back;
  TImage logo;
  TPanel dirbord;
  TDirectoryListBox chdis;
  TDriveComboBox drv;
  TEdit Edit1;
  TEdit Edit2;
  TEdit Edit3;
  TImage vpr;
  TImage min;
  TImage hlt;
  TImage MinBut;
  TImage authprg;
  TLabel tim;
  TEdit tim2;
  TEdit xxx;
  TEdit pth;
  TTimer cyber;
  TFileListBox chdis2;
  TImage sfl;
  TImage nsfl;
  TImage nsfl1;
  TImage nsfl2;
  TImage sfl1;
  TImage sfl2;

  std::int32_t SelectionMode = smRandom;
  std::uint16_t LastMillisecond = 0;
  // What tim2 held when the delay editor opened, for Esc to put back.
  std::string DelayBeforeEdit;

  // The event handlers.
  void chdisMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void FormCreate(TObject* sender);
  void logoMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void logoMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void minMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void minMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void hltMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void hltMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void vprMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void vprMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void MinButMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void MinButMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void timMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void tim2KeyDown(TObject* sender, std::uint16_t& key, TShiftState shift);
  void cyberTimer(TObject* sender);
  void sflMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void sflMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void nsflMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void nsflMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

  // Commands and steps the handlers share.
  void SaveSettingsAndExit();
  void AdvanceSequence();
  void InstallPicture();
  void HideDelayEditor();
  // Disables the timer, which opens the gate of the other commands.
  void StopCountdown();
  // Selects a picture at random, seeded from the performance counter.
  void RandomPick();
  // Shows the faces of a mode on the two switches.
  void ShowModeFaces(std::int32_t mode);

  // The picture buttons: a press moves the picture 2 px right and down, a
  // release moves it back; a gated command then runs only while no
  // countdown runs.
  static void PressPicture(TImage& button) {
    button.SetLeft(button.Left() + 2);
    button.SetTop(button.Top() + 2);
  }
  static void ReleasePicture(TImage& button) {
    button.SetLeft(button.Left() - 2);
    button.SetTop(button.Top() - 2);
  }
  bool CountdownRuns() const { return cyber.Enabled(); }

  Os& os() const { return Application().os(); }

 private:
  void LoadPictures();
  void BindHandlers();
};

}  // namespace pix
