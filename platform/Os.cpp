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

}  // namespace pix
