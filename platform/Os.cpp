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

std::uint32_t ReplaceFile(Os& os, const std::string& target, const ContentWriter& write) {
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
    if (written == oserr::kAccessDenied && FileExists(os, target)) return write(target, true);
    return written;
  }
  return oserr::kFileExists;
}

}  // namespace pix
