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

std::uint32_t ReplaceFile(Os& os, const std::string& target, const ContentWriter& write) {
  const std::string temporary = target + ".tmp";
  const std::uint32_t written = write(temporary);
  if (written == oserr::kSuccess) {
    const std::uint32_t moved = os.MoveFileReplace(temporary, target);
    if (moved != oserr::kSuccess) os.DeleteFile(temporary);
    return moved;
  }
  os.DeleteFile(temporary);
  if (written == oserr::kAccessDenied && FileExists(os, target)) return write(target);
  return written;
}

}  // namespace pix
