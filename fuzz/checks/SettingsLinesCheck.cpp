// TextFileReader against a plain split of the whole file by the line rules,
// at any chunk size, so that a terminator split across two chunks is read
// like one inside a chunk.
#include <cstddef>
#include <string>
#include <vector>

#include "fuzz/checks/Describe.h"
#include "fuzz/checks/FuzzChecks.h"
#include "settings/Errors.h"
#include "settings/SettingsFile.h"
#include "support/memory/MemoryOs.h"

namespace pix::fuzz {
namespace {

constexpr char kPath[] = "C:\\Program\\Pix_rn.dat";

// The lines of a whole file: LF, or CR directly followed by LF, ends a line;
// any other CR is dropped; a Ctrl-Z ends the line's text and the rest of that
// line is skipped. A last line without a terminator counts as a line. (The
// inputs stay far below the reader's longest line.)
std::vector<std::string> ModelLines(std::string_view bytes) {
  // A UTF-8 byte-order mark at the start is no part of the text.
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<std::string> lines;
  std::string line;
  bool skipping = false;
  bool open = false;  // something after the last terminator
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    const bool crLf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    if (c == '\n' || crLf) {
      lines.push_back(line);
      line.clear();
      skipping = false;
      open = false;
      if (crLf) ++i;
      continue;
    }
    open = true;
    if (c == '\r') continue;
    if (c == '\x1a') skipping = true;
    if (!skipping) line += c;
  }
  if (open) lines.push_back(line);
  return lines;
}

// Lines past the end that a check still reads: each must be "".
constexpr std::size_t kPastEnd = 3;

}  // namespace

Finding CheckSettingsLines(std::string_view input) {
  if (input.empty()) return {};
  const auto chunkSize = static_cast<unsigned char>(input[0]);
  const std::string contents(input.substr(1));
  const std::vector<std::string> expected = ModelLines(contents);
  const std::string where = "file " + Quoted(contents) + " at chunk size " + std::to_string(chunkSize);

  MemoryOs os;
  os.AddDrive('C', DriveType::Fixed);
  os.WriteFileContents(kPath, contents);
  try {
    TextFileReader reader(os, kPath, chunkSize);
    for (std::size_t i = 0; i < expected.size() + kPastEnd; ++i) {
      const std::string want = i < expected.size() ? expected[i] : std::string();
      const std::string got = reader.ReadLine();
      if (got != want)
        return where + ": line " + std::to_string(i + 1) + " reads " + Quoted(got) + ", not " + Quoted(want);
    }
    reader.Close();
    if (os.OpenFileCount() != 0) return where + ": the file stays open after Close";

    // The settings load: four lines at the reader's own chunk size.
    const std::vector<std::string> four = ReadSettingsLines(os, kPath, 4);
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string want = i < expected.size() ? expected[i] : std::string();
      if (four.size() != 4 || four[i] != want)
        return where + ": ReadSettingsLines differs at line " + std::to_string(i + 1);
    }
    if (os.OpenFileCount() != 0) return where + ": ReadSettingsLines leaves the file open";
  } catch (const Exception& e) {
    return where + ": reading raises " + e.ClassName() + " \"" + e.Message() + "\"";
  }
  return {};
}

}  // namespace pix::fuzz
