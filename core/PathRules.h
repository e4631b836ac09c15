// Path texts as the file widgets read them: Windows paths with backslashes,
// drive letters and \\server\share roots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Os.h"

namespace pix {

// The longest path the program hands on to the system (the installation,
// the shell): one that would have to be cut could name another file.
inline constexpr std::size_t kLongestPath = 254;

// The drive part of a text: "C:" when the second character is ":", for
// \\server\share\... everything before the backslash after the share name,
// and "" for any other text.
std::string DrivePart(std::string_view text);

// Joins a folder and a name without doubling a backslash.
std::string JoinPath(std::string_view folder, std::string_view name);

// The part after the last backslash or colon (all of the text without one).
std::string_view FileNamePart(std::string_view path);

// The file-name comparison: both texts lower-cased, then compared in the
// user's locale. Gives <0, 0 or >0.
int CompareFileNames(Os& os, const std::string& a, const std::string& b);
inline bool SameFileName(Os& os, const std::string& a, const std::string& b) {
  return CompareFileNames(os, a, b) == 0;
}

// The name order of the lists: ascending, case-insensitive, in the user's
// locale, digits compared as characters.
int CompareNameOrder(Os& os, const std::string& a, const std::string& b);

// A path text split into drive letter, folder part and file part.
struct ResolvedPath {
  std::optional<char> drive;  // none for a network path
  std::string folder;         // "\Pictures", or "\\server\share\pics" without a drive
  std::string file;           // a file name, a mask, or ""
};

// Splits a non-empty path text, checking that its folder exists and telling
// a final folder name from a file name by looking at the disk. The process's
// current directory is put back as it was, whether the call succeeds or
// raises EInOutError.
ResolvedPath ResolvePathText(Os& os, const std::string& text);

// Keeps a drive without a medium from asking the user to insert one while
// it lives: the query fails quietly instead. The previous error mode comes
// back however the scope ends.
class QuietCriticalErrors {
 public:
  explicit QuietCriticalErrors(Os& os) : os_(os), previous_(os.SetErrorMode(kSemFailCriticalErrors)) {}
  QuietCriticalErrors(const QuietCriticalErrors&) = delete;
  QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;
  ~QuietCriticalErrors() { os_.SetErrorMode(previous_); }

 private:
  Os& os_;
  std::uint32_t previous_;
};

// Changes the current directory or raises EInOutError with the OS code.
void ChangeDirectory(Os& os, const std::string& path);

}  // namespace pix
