#include "platform/Os.h"

#include <string_view>

#include "platform/Wildcard.h"

namespace pix {

namespace {

// A mask whose matches can be told from the folder's whole listing without
// asking the platform again: "*" followed by a dot and a plain extension of
// ASCII letters and digits. Letters whose upper case other scripts share
// (the dotless i, the long s) leave the matching to the platform.
bool IsPlainExtensionMask(std::string_view mask) {
  if (mask.size() < 3 || mask[0] != '*' || mask[1] != '.') return false;
  for (const char c : mask.substr(2)) {
    const bool letterOrDigit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letterOrDigit || c == 'i' || c == 'I' || c == 's' || c == 'S') return false;
  }
  return true;
}

bool IsAbsoluteFolder(std::string_view folder) {
  return (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') || folder.starts_with("\\\\");
}

}  // namespace

OsResult<std::vector<DirEntry>> Os::FindFilesShared(const std::string& pattern) {
  if (shared_.openShares == 0) return FindFiles(pattern);
  const std::size_t cut = pattern.rfind('\\');
  std::string folder, mask;
  if (cut == std::string::npos) {
    folder = GetCurrentDirectory();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    mask = pattern;
  } else {
    folder = pattern.substr(0, cut + 1);
    mask = pattern.substr(cut + 1);
  }
  const bool everything = mask == "*.*" || mask == "*";
  if (!IsAbsoluteFolder(folder) || mask.find('/') != std::string::npos ||
      (!everything && !IsPlainExtensionMask(mask)))
    return FindFiles(pattern);

  if (shared_.folder != folder) {
    shared_.entries = FindFiles(folder + "*.*");
    shared_.folder = folder;
  }
  if (everything) return shared_.entries;
  OsResult<std::vector<DirEntry>> matched;
  for (const DirEntry& entry : shared_.entries.value)
    if (MatchesWildcard(mask, entry.name) ||
        (!entry.shortName.empty() && MatchesWildcard(mask, entry.shortName)))
      matched.value.push_back(entry);
  if (matched.value.empty())
    matched.error =
        shared_.entries.value.empty() && shared_.entries.error ? shared_.entries.error : oserr::kFileNotFound;
  return matched;
}

bool DirectoryExists(Os& os, const std::string& path) {
  const auto attributes = os.GetFileAttributes(path);
  return attributes && (attributes.value & attr::kDirectory) != 0;
}

bool FileExists(Os& os, const std::string& path) {
  const auto attributes = os.GetFileAttributes(path);
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
