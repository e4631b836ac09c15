// ResolvePathText on any text, from several current directories of a small
// machine with local, removable, network and unready drives: it either gives
// a result or raises EInOutError, and the current directory is where it was.
#include <cstddef>
#include <exception>
#include <string>

#include "core/PathRules.h"
#include "fuzz/checks/Describe.h"
#include "fuzz/checks/FuzzChecks.h"
#include "settings/Errors.h"
#include "support/memory/MemoryOs.h"

namespace pix::fuzz {
namespace {

void StageMachine(MemoryOs& os) {
  os.AddDrive('C', DriveType::Fixed, "SYSTEM");
  os.MakeDirectory("C:\\Pictures\\Sub");
  os.WriteFileContents("C:\\Pictures\\a.jpg", "jpeg");
  os.WriteFileContents("C:\\Pictures\\b c.JPG", "jpeg", attr::kReadOnly);
  os.MakeDirectory("C:\\x.jpg");  // a folder named like a picture
  os.MakeDirectory("C:\\Hidden", attr::kHidden);
  os.WriteFileContents("C:\\Hidden\\h.jpg", "jpeg", attr::kHidden | attr::kSystem);
  os.AddDrive('D', DriveType::Removable);
  os.SetDriveReady('D', false);
  os.AddDrive('E', DriveType::CdRom, "DISC");
  os.MakeDirectory("E:\\Disc\\Deep");
  os.SetRememberedDirectory('E', "E:\\Disc");
  os.AddShare("\\\\server\\share", "NET");
  os.MakeDirectory("\\\\server\\share\\pics\\summer");
  os.WriteFileContents("\\\\server\\share\\pics\\n.jpg", "jpeg");
  os.AddNetworkDrive('Z', "\\\\server\\share");
  os.SetErrorMode(kSemFailCriticalErrors);
}

constexpr const char* kStarts[] = {
    "C:\\",
    "C:\\Pictures",
    "C:\\Pictures\\Sub",
    "E:\\Disc\\Deep",
    "\\\\server\\share\\pics",
    "Z:\\pics\\summer",
};

}  // namespace

Finding CheckResolvePath(std::string_view input) {
  if (input.empty()) return {};
  const char* start = kStarts[static_cast<unsigned char>(input[0]) % std::size(kStarts)];
  const std::string text(input.substr(1));
  MemoryOs os;
  StageMachine(os);
  if (os.SetCurrentDirectory(start) != oserr::kSuccess) return std::string("cannot stage ") + start;
  const std::string before = os.GetCurrentDirectory();
  const std::string where = "ResolvePathText(" + Quoted(text) + ") from " + Quoted(before);

  try {
    const ResolvedPath resolved = ResolvePathText(os, text);
    if (resolved.file.find_first_of("\\:") != std::string::npos)
      return where + " gives the file part " + Quoted(resolved.file);
  } catch (const EInOutError&) {
    // A refused folder change: the one failure it may report.
  } catch (const std::exception& e) {
    return where + " raises something other than EInOutError: " + e.what();
  } catch (...) {
    return where + " raises something that is no exception class";
  }

  const std::string after = os.GetCurrentDirectory();
  if (after != before) return where + " leaves the current directory at " + Quoted(after);
  return {};
}

}  // namespace pix::fuzz
