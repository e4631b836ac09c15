#include "core/PathRules.h"

#include "settings/Errors.h"

namespace pix {

std::string DrivePart(std::string_view text) {
  if (text.size() >= 2 && text[1] == ':') return std::string(text.substr(0, 2));
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
    // \\server\share: up to the backslash that follows the share name.
    const auto serverEnd = text.find('\\', 2);
    if (serverEnd == std::string_view::npos) return std::string(text);
    const auto shareEnd = text.find('\\', serverEnd + 1);
    return std::string(text.substr(0, shareEnd));
  }
  return {};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string result(folder);
  if (result.empty() || result.back() != '\\') result += '\\';
  result += name;
  return result;
}

std::string_view FileNamePart(std::string_view path) {
  const auto separator = path.find_last_of("\\:");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

int CompareFileNames(Os& os, const std::string& a, const std::string& b) {
  return os.CompareTextCaseSensitive(os.LowerCase(a), os.LowerCase(b));
}

int CompareNameOrder(Os& os, const std::string& a, const std::string& b) {
  return os.CompareTextIgnoreCase(a, b);
}

void ChangeDirectory(Os& os, const std::string& path) {
  if (const auto error = os.SetCurrentDirectory(path); error != oserr::kSuccess) throw EInOutError(error);
}

namespace {
bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// Puts the current directory back when the resolution ends, however it ends.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard(Os& os, std::string saved) : os_(os), saved_(std::move(saved)) {}
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

  // The normal way out: a failure to go back is an error of its own.
  void Restore() {
    restored_ = true;
    if (DirectoryExists(os_, saved_)) ChangeDirectory(os_, saved_);
  }
  ~CurrentDirectoryGuard() {
    // On the way out of an error the first error is the one to report.
    if (!restored_ && DirectoryExists(os_, saved_)) os_.SetCurrentDirectory(saved_);
  }

 private:
  Os& os_;
  std::string saved_;
  bool restored_ = false;
};
}  // namespace

ResolvedPath ResolvePathText(Os& os, const std::string& text) {
  const std::string start = os.GetCurrentDirectory();
  ResolvedPath result;
  if (!start.empty()) result.drive = start[0];
  std::string folder = text;

  std::string root;
  if (folder.size() >= 2 && folder.front() == '[' && folder.back() == ']') {
    // The form of a folder item in a list: "[name]".
    folder = folder.substr(1, folder.size() - 2);
  } else {
    root = DrivePart(folder);
    if (root.empty()) {
      root = DrivePart(start);
    } else {
      folder.erase(0, root.size());
      if (root.size() >= 2 && root[1] == ':')
        result.drive = root[0];
      else
        result.drive.reset();
    }
  }

  CurrentDirectoryGuard guard(os, start);
  if (!root.empty() && DirectoryExists(os, root)) ChangeDirectory(os, root);

  std::string file(FileNamePart(folder));
  if (folder.size() == file.size() + 1) {
    folder = "\\";
  } else if (folder.size() > file.size()) {
    folder.resize(folder.size() - file.size() - 1);
  } else {
    // The text is a bare name: its folder is the current one.
    const std::string current = os.GetCurrentDirectory();
    folder = current.substr(DrivePart(current).size());
    if (folder.empty()) folder = "\\";
  }

  if (!folder.empty()) ChangeDirectory(os, folder);

  if (!file.empty() && !HasWildcard(file) && !FileExists(os, file)) {
    // No file of that name: the last name is a folder.
    ChangeDirectory(os, file);
    folder = folder.size() == 1 ? "\\" + file : folder + "\\" + file;
    file.clear();
  }

  if (!result.drive) folder = root + folder;
  result.file = std::move(file);
  result.folder = std::move(folder);
  guard.Restore();
  return result;
}

}  // namespace pix
