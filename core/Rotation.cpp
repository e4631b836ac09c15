#include "core/Rotation.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/PathRules.h"
#include "settings/LenientInt.h"
#include "settings/SettingsFile.h"

namespace pix {

namespace {
constexpr const char* kTargetName = "\\Pix_Rn.jpg";
}  // namespace

void AdvanceSequence(Os& os, PictureFolder& pictures, const std::string& settingsPath,
                     const RotationSettings& settings) {
  const std::int64_t stored = ParseLenientInt(ReadSettingsLines(os, settingsPath, 4)[3]);
  std::int64_t next = stored + 1;
  if (next < 0 || next >= pictures.Count()) next = 0;
  const auto index = static_cast<std::int32_t>(next);
  pictures.Select(index);
  WriteSettingsLines(
      os, settingsPath,
      {settings.pictureFolder, settings.delay, SavedModeText(settings.mode), DecimalText(index)});
}

SeededDraws::SeededDraws(Os& os) {
  const auto counter = os.QueryPerformanceCounter();
  state_ = counter ? static_cast<std::uint32_t>(*counter) : os.GetTickCount();
}

int SeededDraws::Draw(int bound) {
  state_ = state_ * 134775813u + 1u;
  return static_cast<int>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(bound)) * state_) >> 32);
}

namespace {

// Pictures are told apart in pieces of this size: two pictures of one length
// almost always differ early.
constexpr std::size_t kComparedPiece = std::size_t{64} << 10;

// Whether the file `path`, measured as long as `picture`, holds other bytes.
// It is read only up to the first difference; a file that cannot be read is
// taken as different, as there is no telling.
bool HoldsOtherBytes(Os& os, const std::wstring& path, std::string_view picture) {
  auto opened = os.OpenFileForReadingWide(path);
  if (!opened) return true;
  std::string piece(std::min(kComparedPiece, picture.size()), '\0');
  for (std::size_t compared = 0; compared < picture.size();) {
    std::size_t got = 0;
    if (opened.value->Read(piece.data(), std::min(piece.size(), picture.size() - compared), got) != 0 ||
        got == 0 || picture.substr(compared, got) != std::string_view(piece.data(), got))
      return true;
    compared += got;
  }
  return false;
}

// Reads a picture whole, as the installation takes it: Nothing for an empty
// file, one whose length cannot be read (it has gone since it was listed)
// or one larger than the program takes in at once; Kept for one that cannot
// be read whole at its length (a bad sector, a share that drops); Installed
// once `picture` holds it.
InstallOutcome ReadPicture(Os& os, const std::wstring& path, std::string& picture) {
  const auto length = os.GetFileSizeWide(path);
  if (!length || length.value == 0 || length.value > kLargestPicture) return InstallOutcome::Nothing;
  return ReadWholeFile(os, path, length.value, picture) == oserr::kSuccess ? InstallOutcome::Installed
                                                                           : InstallOutcome::Kept;
}

}  // namespace

std::optional<std::string> PickAtRandom(Os& os, PictureFolder& pictures, UniformDraws& draws) {
  const int count = pictures.Count();
  const std::wstring target = os.AnsiToWide(TargetPicturePath(os));
  const auto onScreen =
      target.empty() ? OsResult<std::uint64_t>{0, oserr::kFileNotFound} : os.GetFileSizeWide(target);
  // A draw among the pictures not looked at yet is the index among all of
  // them past the ones looked at that lie before it.
  std::vector<int> lookedAt;  // ascending
  std::string picture;        // one picture in memory at a time, however many are drawn
  while (std::ssize(lookedAt) < std::min(count, kMostRandomDraws)) {
    int index = draws.Draw(count - static_cast<int>(lookedAt.size()));
    for (const int looked : lookedAt)
      if (looked <= index) ++index;
    lookedAt.insert(std::upper_bound(lookedAt.begin(), lookedAt.end(), index), index);
    pictures.Select(index);
    const std::wstring path = pictures.SelectedFilePath();
    // What the installation would refuse is passed over as one that cannot be read.
    if (path.size() > kLongestPath || ReadPicture(os, path, picture) != InstallOutcome::Installed) continue;
    if (!onScreen || onScreen.value != picture.size() || HoldsOtherBytes(os, target, picture)) return picture;
  }
  pictures.Select(-1);
  return std::nullopt;
}

std::string TargetPicturePath(Os& os) {
  const std::string windows = os.GetWindowsDirectory();
  return windows.empty() ? std::string() : windows + kTargetName;
}

namespace {

// A read-only picture is one its owner chose to keep: Windows would refuse
// to replace it, and so does the program, wherever it runs.
bool IsReadOnly(Os& os, const std::string& target) {
  const auto attributes = os.GetFileAttributes(target);
  return attributes && (attributes.value & attr::kReadOnly) != 0;
}

InstallOutcome PutInPlace(Os& os, const std::string& target, std::string_view picture) {
  if (const auto replaced = ReplaceFileContents(os, target, picture); !replaced)
    return replaced.damaged ? InstallOutcome::Damaged : InstallOutcome::Kept;
  // Windows shows a cached copy of the desktop picture: when the desktop
  // shows this very file, ask for it to be loaded anew.
  if (CompareFileNames(os, os.GetDesktopWallpaper(), target) == 0) os.SetDesktopWallpaper(target);
  return InstallOutcome::Installed;
}

}  // namespace

InstallOutcome InstallPicture(Os& os, const std::wstring& source) {
  const std::string target = TargetPicturePath(os);
  // Nothing to install, or a path that would have to be cut (and so could
  // name another file): the old picture stays as it is.
  if (target.empty() || source.empty() || !FileExistsWide(os, source) || source.size() > kLongestPath ||
      target.size() + 4 > kLongestPath)
    return InstallOutcome::Nothing;
  if (IsReadOnly(os, target)) return InstallOutcome::Kept;
  // The whole picture is read before Pix_Rn.jpg is touched.
  std::string picture;
  const InstallOutcome read = ReadPicture(os, source, picture);
  return read == InstallOutcome::Installed ? PutInPlace(os, target, picture) : read;
}

InstallOutcome InstallPicture(Os& os, std::string_view picture) {
  const std::string target = TargetPicturePath(os);
  if (target.empty() || target.size() + 4 > kLongestPath || picture.empty() ||
      picture.size() > kLargestPicture)
    return InstallOutcome::Nothing;
  if (IsReadOnly(os, target)) return InstallOutcome::Kept;
  return PutInPlace(os, target, picture);
}

}  // namespace pix
