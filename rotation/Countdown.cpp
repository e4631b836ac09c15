// The countdown on the timer, the sequence advance, the random pick and the
// installation of the picture.
#include "filectrl/PathRules.h"
#include "settings/LenientInt.h"
#include "settings/SettingsFile.h"
#include "shell/pix_rn1.h"

namespace pix {

namespace {
// The picture the program owns, in the Windows directory.
constexpr const char* kTargetName = "\\Pix_Rn.jpg";
// The copy waits under this name until it can replace the picture whole.
constexpr const char* kIncomingName = "\\Pix_Rn.jpg.tmp";
// The longest path the file copy is handed.
constexpr std::size_t kLongestPath = 254;
}  // namespace

void TForm1::cyberTimer(TObject*) {
  // A step needs a new millisecond reading: ticks that come faster than the
  // clock changes are no steps.
  const std::uint16_t millisecond = os().GetLocalTime().millisecond;
  if (millisecond == LastMillisecond) return;
  LastMillisecond = millisecond;

  if (tim.Caption() == "0") {
    StopCountdown();
    return;
  }
  if (SelectionMode == smSequential) {
    AdvanceSequence();
    return;
  }
  if (SelectionMode != smRandom && SelectionMode != smSequentialAdvanced) return;

  const std::int32_t left = ParseLenientInt(tim.Caption());
  if (left <= 0) {
    StopCountdown();
    return;
  }
  if (left - 1 == 0) {
    InstallPicture();
    return;
  }
  tim.SetCaption(DecimalText(left - 1));
}

void TForm1::StopCountdown() {
  cyber.SetEnabled(false);
  // A press during the countdown disabled the folder list; now it may work.
  chdis.SetEnabled(true);
}

void TForm1::AdvanceSequence() {
  // First, so that a failure below cannot make the advance run again.
  SelectionMode = smSequentialAdvanced;
  const std::string path = SettingsFilePath(os());
  const std::int64_t stored = ParseLenientInt(ReadSettingsLines(os(), path, 4)[3]);
  // An index outside the pictures (the folder shrank, or a hand edit) starts
  // the sequence again at the first picture.
  std::int64_t next = stored + 1;
  if (next < 0 || next >= chdis2.ItemCount()) next = 0;
  const auto index = static_cast<std::int32_t>(next);
  chdis2.SetSelectedIndex(index);
  WriteSettingsLines(os(), path,
                     {pth.Text(), tim2.Text(), DecimalText(SelectionMode - 1), DecimalText(index)});
}

void TForm1::RandomPick() {
  const auto counter = os().QueryPerformanceCounter();
  std::uint32_t state = counter ? static_cast<std::uint32_t>(*counter) : os().GetTickCount();
  const auto count = static_cast<std::uint32_t>(chdis2.ItemCount());
  state = state * 134775813u + 1u;
  const auto pick = static_cast<std::uint32_t>((static_cast<std::uint64_t>(count) * state) >> 32);
  chdis2.SetSelectedIndex(static_cast<int>(pick));
}

void TForm1::InstallPicture() {
  cyber.SetEnabled(false);
  if (SelectionMode == smRandom) RandomPick();

  const std::string windows = os().GetWindowsDirectory();
  const std::string target = windows + kTargetName;
  const std::string incoming = windows + kIncomingName;
  const std::string source = chdis2.SelectedFilePath();
  // Nothing to install, or a path that would have to be cut (and so could
  // name another file): the old picture stays as it is.
  // A read-only picture is one its owner chose to keep: Windows would refuse
  // to replace it, and so does the program, wherever it runs.
  const auto targetAttributes = os().GetFileAttributes(target);
  const bool keptReadOnly = targetAttributes && (targetAttributes.value & attr::kReadOnly) != 0;
  const bool installable = !windows.empty() && !source.empty() && FileExists(os(), source) && !keptReadOnly &&
                           incoming.size() <= kLongestPath && source.size() <= kLongestPath;
  if (installable) {
    // The new picture replaces the old one in one step, so that a failure
    // leaves the old one whole.
    const std::uint32_t copied = os().CopyFile(source, incoming, false);
    bool installed = false;
    if (copied == oserr::kSuccess) {
      installed = os().MoveFileReplace(incoming, target) == oserr::kSuccess;
      if (!installed) os().DeleteFile(incoming);
    } else if (copied == oserr::kAccessDenied && FileExists(os(), target)) {
      // The Windows directory takes no new file, but the picture itself may
      // be granted to its users: write it in place.
      installed = os().CopyFile(source, target, false) == oserr::kSuccess;
    } else {
      os().DeleteFile(incoming);
    }
    // Windows shows a cached copy of the desktop picture: when the desktop
    // shows this very file, ask for it to be loaded anew.
    if (installed && CompareFileNames(os(), os().GetDesktopWallpaper(), target) == 0)
      os().SetDesktopWallpaper(target);
  }
  Application().Halt(0);
}

}  // namespace pix
