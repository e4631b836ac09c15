#include "platform/Os.h"

namespace pix {

bool DirectoryExists(Os& os, const std::string& path) {
  const auto attributes = os.GetFileAttributes(path);
  return attributes && (attributes.value & attr::kDirectory) != 0;
}

bool FileExists(Os& os, const std::string& path) {
  const auto attributes = os.GetFileAttributes(path);
  return attributes && (attributes.value & attr::kDirectory) == 0;
}

bool FileExistsWide(Os& os, const std::wstring& path) {
  const auto attributes = os.GetFileAttributesWide(path);
  return attributes && (attributes.value & attr::kDirectory) == 0;
}

namespace {

// An in-place write empties the old content before the new one is whole, so
// it starts only when the volume surely holds all of the new content: the
// clusters the old file frees and the free ones together. A volume that
// cannot tell its room is written as before.
bool FitsInPlace(Os& os, const std::string& target, std::uint64_t newLength) {
  const std::size_t cut = target.find_last_of("\\/:");
  const auto space =
      os.GetDiskFreeSpace(cut == std::string::npos ? std::string() : target.substr(0, cut + 1));
  const auto oldLength = os.GetFileSizeWide(os.AnsiToWide(target));
  if (!space || !oldLength) return true;
  const std::uint64_t cluster = space.value.clusterBytes ? space.value.clusterBytes : 1;
  const auto clusters = [cluster](std::uint64_t bytes) { return (bytes + cluster - 1) / cluster; };
  return clusters(newLength) <= clusters(oldLength.value) + space.value.freeBytes / cluster;
}

}  // namespace

std::uint32_t ReplaceFile(Os& os, const std::string& target, std::uint64_t newLength,
                          const ContentWriter& write) {
  // The process id keeps simultaneous runs apart; the exclusive creation
  // passes over any name that is taken all the same.
  constexpr int kNamesToTry = 100;
  const std::string stem = target + "." + std::to_string(os.CurrentProcessId());
  for (int attempt = 0; attempt < kNamesToTry; ++attempt) {
    const std::string temporary = stem + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
    if (os.GetFileAttributes(temporary)) continue;
    const std::uint32_t written = write(temporary, false);
    if (written == oserr::kFileExists || written == oserr::kAlreadyExists) continue;
    if (written == oserr::kSuccess) {
      const std::uint32_t moved = os.MoveFileReplace(temporary, target);
      if (moved != oserr::kSuccess) os.DeleteFile(temporary);
      return moved;
    }
    os.DeleteFile(temporary);
    if (written == oserr::kAccessDenied && FileExists(os, target))
      return FitsInPlace(os, target, newLength) ? write(target, true) : oserr::kDiskFull;
    return written;
  }
  return oserr::kFileExists;
}

}  // namespace pix
