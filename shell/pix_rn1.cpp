#include "shell/pix_rn1.h"

#include "settings/Errors.h"
#include "settings/LenientInt.h"
#include "settings/SettingsFile.h"
#include "skin/SkinNames.h"

namespace pix {

namespace {
// The folder list's own grey: red 136, green 132, blue 136.
constexpr TColor kFolderListColour = 8946824;
// The help program, in a folder of its own beside the executable.
constexpr const char* kHelpProgram = "help\\Hlp_Vw.exe";
// The longest path the shell and the file copy are handed.
constexpr std::size_t kLongestPath = 254;

void ShowHintOf(TControl& control, const char* hint) {
  control.SetHint(hint);
  control.SetShowHint(true);
}
}  // namespace

TForm1::TForm1(TApplication& application)
    : TForm(application, "Form1", 14, 188, 760, 196),
      back("back", this, 0, 0, 276, 196),
      logo("logo", this, 207, 174, 60, 12),
      dirbord("dirbord", this, 18, 16, 168, 160),
      chdis("chdis", &dirbord, -2, -2, 172, 164, application.os()),
      drv("drv", this, 472, 0, 113, 19, application.os()),
      Edit1("Edit1", this, 472, 22, 113, 21, "Edit1"),
      Edit2("Edit2", this, 472, 46, 113, 21, "Edit2"),
      Edit3("Edit3", this, 472, 70, 113, 21, "Edit3"),
      vpr("vpr", this, 250, 17, 17, 18),
      min("min", this, 250, 50, 17, 18),
      hlt("hlt", this, 250, 83, 17, 18),
      MinBut("MinBut", this, 247, 148, 11, 11),
      authprg("authprg", this, 275, 0, 194, 196),
      tim("tim", this, 213, 138, 31, 13),
      tim2("tim2", this, 500, 138, 31, 13, "0"),
      xxx("xxx", this, 472, 94, 25, 21, "xxx"),
      pth("pth", this, 616, 152, 113, 21, "pth"),
      cyber("cyber"),
      chdis2("chdis2", this, 592, 0, 129, 137, application.os(), &application.Backend().Pointer()),
      sfl("sfl", this, 219, 32, 17, 18),
      nsfl("nsfl", this, 219, 66, 17, 18),
      nsfl1("nsfl1", this, 544, 136, 17, 18),
      nsfl2("nsfl2", this, 544, 160, 17, 18),
      sfl1("sfl1", this, 576, 136, 17, 18),
      sfl2("sfl2", this, 576, 160, 17, 18) {
  SetCaption("Form1");
  SetBorderStyle(TBorderStyle::bsNone);
  SetColor(clBlack);
  SetPosition(TPosition::poScreenCenter);

  // The creation order: pictures and labels paint in it, one over another.
  for (TControl* control : std::initializer_list<TControl*>{
           &back, &logo, &vpr,     &min,   &hlt, &MinBut, &authprg, &tim,   &sfl,  &nsfl, &nsfl1, &nsfl2,
           &sfl1, &sfl2, &dirbord, &chdis, &drv, &Edit1,  &Edit2,   &Edit3, &tim2, &xxx,  &pth,   &chdis2})
    Insert(*control);
  Insert(cyber);

  // The working controls of the hidden strip take no input.
  for (TControl* control :
       std::initializer_list<TControl*>{&drv, &Edit1, &Edit2, &Edit3, &tim2, &pth, &chdis2})
    control->SetEnabled(false);
  int order = 0;
  for (TWinControl* control : std::initializer_list<TWinControl*>{&dirbord, &drv, &Edit1, &Edit2, &Edit3,
                                                                  &tim2, &xxx, &pth, &chdis2})
    control->SetTabOrder(order++);
  chdis.SetTabOrder(0);

  tim.SetCaption("0");
  tim.SetTransparent(true);
  tim2.SetBorderStyle(TBorderStyle::bsNone);
  tim2.SetColor(clBlack);
  tim2.SetFont(TFont{"MS Sans Serif", -11, clSilver});
  chdis.SetColor(kFolderListColour);
  chdis.SetItemHeight(16);
  chdis2.SetItemHeight(13);
  chdis2.SetMask("*.jpg");

  // Only the part before a "|" of a hint is shown; these have none.
  logo.SetHint("Информация об авторе.");  // takes its setting from the window: not shown
  ShowHintOf(vpr, "Справка.");
  ShowHintOf(min, "Свернуть программу.");
  ShowHintOf(hlt, "Выход из программы.");
  ShowHintOf(MinBut, "Остановка таймера.");
  ShowHintOf(tim, "Время стартовой задержки (>50).");
  ShowHintOf(sfl, "Случайный выбор картинки.");
  ShowHintOf(nsfl, "Выбор картинки поочерёдно.");
  ShowHintOf(chdis, "Папка с картинками.");

  LoadPictures();
  BindHandlers();
  cyber.SetInterval(1);
}

void TForm1::LoadPictures() {
  PictureSource& pictures = Application().Backend().Pictures();
  const std::pair<TImage*, const char*> faces[] = {
      {&back, skin::kBackground},    {&logo, skin::kAboutButton}, {&vpr, skin::kHelpButton},
      {&min, skin::kMinimizeButton}, {&hlt, skin::kExitButton},   {&MinBut, skin::kStopButton},
      {&authprg, skin::kAboutPanel}, {&sfl, skin::kRandomSwitch}, {&nsfl, skin::kSequenceSwitch},
      {&nsfl1, skin::kSequenceOff},  {&nsfl2, skin::kSequenceOn}, {&sfl1, skin::kRandomOff},
      {&sfl2, skin::kRandomOn}};
  for (const auto& [image, name] : faces)
    image->SetPicture(pictures.Load(name));
}

void TForm1::BindHandlers() {
  using namespace std::placeholders;
  const auto mouse = [this](void (TForm1::*handler)(TObject*, TMouseButton, TShiftState, int, int)) {
    return TMouseEvent([this, handler](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
      (this->*handler)(s, b, sh, x, y);
    });
  };
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  logo.OnMouseDown = mouse(&TForm1::logoMouseDown);
  logo.OnMouseUp = mouse(&TForm1::logoMouseUp);
  vpr.OnMouseDown = mouse(&TForm1::vprMouseDown);
  vpr.OnMouseUp = mouse(&TForm1::vprMouseUp);
  min.OnMouseDown = mouse(&TForm1::minMouseDown);
  min.OnMouseUp = mouse(&TForm1::minMouseUp);
  hlt.OnMouseDown = mouse(&TForm1::hltMouseDown);
  hlt.OnMouseUp = mouse(&TForm1::hltMouseUp);
  MinBut.OnMouseDown = mouse(&TForm1::MinButMouseDown);
  MinBut.OnMouseUp = mouse(&TForm1::MinButMouseUp);
  tim.OnMouseDown = mouse(&TForm1::timMouseDown);
  sfl.OnMouseDown = mouse(&TForm1::sflMouseDown);
  sfl.OnMouseUp = mouse(&TForm1::sflMouseUp);
  nsfl.OnMouseDown = mouse(&TForm1::nsflMouseDown);
  nsfl.OnMouseUp = mouse(&TForm1::nsflMouseUp);
  chdis.OnMouseDown = mouse(&TForm1::chdisMouseDown);
  tim2.OnKeyDown = [this](TObject* s, std::uint16_t& key, TShiftState sh) { tim2KeyDown(s, key, sh); };
  cyber.SetOnTimer([this](TObject* s) { cyberTimer(s); });
}

void TForm1::ShowModeFaces(std::int32_t mode) {
  if (mode == smRandom) {
    sfl.CopyPictureFrom(sfl2);
    nsfl.CopyPictureFrom(nsfl1);
  } else {
    sfl.CopyPictureFrom(sfl1);
    nsfl.CopyPictureFrom(nsfl2);
  }
}

void TForm1::FormCreate(TObject*) {
  pth.SetText(ExecutableFolder(os()));
  SetWidth(276);
  try {
    TextFileReader settings(os(), SettingsFilePath(os()));
    const std::string folder = settings.ReadLine();
    pth.SetText(folder);
    // A saved folder that has gone (or that the list refuses) leaves the
    // list where it is; the delay and the mode still load, but the countdown
    // stays off so that the window opens for the user to choose again.
    bool folderTaken = true;
    try {
      chdis.SetFolderPath(folder);
      chdis2.ApplyPath(folder);
    } catch (const Exception&) {
      folderTaken = false;
    }
    const std::string delay = settings.ReadLine();
    if (folderTaken) tim.SetCaption(delay);
    tim2.SetText(delay);
    SelectionMode = ParseLenientInt(settings.ReadLine());
    if (SelectionMode == smRandom || SelectionMode == smSequential) ShowModeFaces(SelectionMode);
    settings.Close();
  } catch (const Exception&) {
    // No settings yet, or unreadable ones: the window opens with what it has.
  }
}

void TForm1::SaveSettingsAndExit() {
  std::string mode;
  if (SelectionMode == smRandom)
    mode = "0";
  else if (SelectionMode == smSequential || SelectionMode == smSequentialAdvanced)
    mode = "1";
  else
    mode = DecimalText(SelectionMode);  // a hand-edited mode is kept as it was
  WriteSettingsLines(os(), SettingsFilePath(os()), {pth.Text(), tim2.Text(), mode, "-1"});
  Application().Halt(0);
}

void TForm1::logoMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(logo);
}

void TForm1::logoMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(logo);
  SetWidth(Width() != 469 ? 469 : 276);
}

void TForm1::vprMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(vpr);
}

void TForm1::vprMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(vpr);
  if (CountdownRuns()) return;
  const std::string folder = ExecutableFolder(os());
  const std::string help = folder + kHelpProgram;
  // A path that does not fit would name another file: it is not used at all.
  if (help.size() > kLongestPath) return;
  // The help program starts in its own folder.
  os().ShellExecute(WindowHandle(), help, folder + "help", kShowNormal);
}

void TForm1::minMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(min);
}

void TForm1::minMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(min);
  if (CountdownRuns()) return;
  Application().Minimize();
}

void TForm1::hltMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(hlt);
}

void TForm1::hltMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(hlt);
  if (CountdownRuns()) return;
  SaveSettingsAndExit();
}

void TForm1::MinButMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(MinBut);
}

void TForm1::MinButMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(MinBut);
  cyber.SetEnabled(false);
  tim.SetCaption(tim2.Text());
  // The countdown is over: the folder list takes input again.
  chdis.SetEnabled(true);
}

}  // namespace pix
