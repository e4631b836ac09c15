#include "core/Rotation.h"

#include <algorithm>
#include <optional>

#include "core/PathRules.h"
#include "settings/LenientInt.h"
#include "settings/SettingsFile.h"

namespace pix {

namespace {
constexpr const char* kTargetName = "\\Pix_Rn.jpg";
// The longest path the installation is handed.
constexpr std::size_t kLongestPath = 254;
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

namespace {

// How many pictures a random pick looks at, its own first, for one that
// differs from the installed picture.
constexpr int kLongestWalkPastTheInstalledPicture = 16;

// Whether a picture holds the installed picture's bytes, `installed`, of
// `installedLength` bytes (read when first needed): the lengths first, so
// that pictures of other lengths cost one query each; the bytes only where
// they are equal. A picture that cannot be read whole is taken as different.
bool HoldsTheInstalledPicture(Os& os, const std::wstring& picture, const std::wstring& target,
                              std::uint64_t installedLength, std::optional<std::string>& installed) {
  const auto length = os.GetFileSizeWide(picture);
  if (!length || length.value != installedLength) return false;
  if (!installed) {
    installed.emplace();
    if (ReadWholeFile(os, target, installedLength, *installed) != oserr::kSuccess) installed->clear();
  }
  std::string bytes;
  return !installed->empty() && ReadWholeFile(os, picture, length.value, bytes) == oserr::kSuccess &&
         bytes == *installed;
}

}  // namespace

void PickAtRandom(Os& os, PictureFolder& pictures) {
  const auto counter = os.QueryPerformanceCounter();
  std::uint32_t state = counter ? static_cast<std::uint32_t>(*counter) : os.GetTickCount();
  const int count = pictures.Count();
  state = state * 134775813u + 1u;
  const auto pick =
      static_cast<int>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(count)) * state) >> 32);
  pictures.Select(pick);
  // The picture already installed would change nothing on the screen: the
  // next one in the list goes instead, wrapping at the end. Where every one
  // it looks at holds that picture, the pick stands: the walk is bounded, so
  // that a folder of copies is not read whole at every log-on.
  const std::string target = TargetPicturePath(os);
  if (target.empty() || count < 2) return;
  const std::wstring targetWide = os.AnsiToWide(target);
  const auto installedLength = os.GetFileSizeWide(targetWide);
  if (!installedLength || installedLength.value > kLargestPicture) return;
  std::optional<std::string> installed;
  for (int step = 0; step < std::min(count, kLongestWalkPastTheInstalledPicture); ++step) {
    pictures.Select((pick + step) % count);
    if (!HoldsTheInstalledPicture(os, pictures.SelectedFilePath(), targetWide, installedLength.value,
                                  installed))
      return;
  }
  pictures.Select(pick);
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
  if (ReplaceFileContents(os, target, picture) != oserr::kSuccess) return InstallOutcome::Kept;
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

  // An empty file is no picture, and one whose length cannot be read has
  // gone since it was listed: the old one stays. So does a picture larger
  // than the program takes in at once.
  const auto length = os.GetFileSizeWide(source);
  if (!length || length.value == 0 || length.value > kLargestPicture) return InstallOutcome::Nothing;

  // The whole picture is read before Pix_Rn.jpg is touched: a read that
  // fails or ends early (a bad sector, a share that drops) installs nothing.
  std::string picture;
  if (ReadWholeFile(os, source, length.value, picture) != oserr::kSuccess) return InstallOutcome::Kept;
  return PutInPlace(os, target, picture);
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
