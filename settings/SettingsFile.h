// The settings file "Pix_rn.dat" beside the executable: where it lies, how
// its lines are read, and how they are written back.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Os.h"

namespace pix {

// The executable's path cut after its last "\" or ":", separator kept.
std::string ExecutableFolder(Os& os);
// ExecutableFolder followed by "Pix_rn.dat"; worked out anew at every call.
std::string SettingsFilePath(Os& os);

// Reads a text file line by line. A line ends at LF, or at CR directly
// followed by LF; any other CR is dropped. A Ctrl-Z (26) ends the line's
// text, and the rest of that line is skipped. A UTF-8 byte-order mark at the
// start of the file (as several editors write) is skipped. Past the end of
// the file every line reads as "". Failures raise EInOutError with the
// system's code; a line longer than kLongestLine raises it with 122, as soon
// as the reader is past that length.
class TextFileReader {
 public:
  static constexpr std::size_t kDefaultChunkSize = 4096;
  // Far beyond any path (32,767 characters at the most) or number a
  // settings line can usefully hold, and far below what would make a
  // window's text slow or its control fail.
  static constexpr std::size_t kLongestLine = 32768;

  // Opens `path` for reading (others may read it, not write it).
  TextFileReader(Os& os, const std::string& path, std::size_t chunkSize = kDefaultChunkSize);
  // Takes over a file that is already open for reading.
  explicit TextFileReader(std::unique_ptr<OsFile> file, std::size_t chunkSize = kDefaultChunkSize);
  // Closes a file still open and drops the result.
  ~TextFileReader();

  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  std::string ReadLine();
  // Closes the file; a failure raises EInOutError. Closing again does nothing.
  void Close();

 private:
  // Refills the buffer; false at the end of the file.
  bool Fill();

  std::unique_ptr<OsFile> file_;
  std::size_t chunkSize_;
  bool started_ = false;  // the first fill, which looks for the byte-order mark, is done
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
};

// The first `count` lines of a file; lines past its end read as "".
std::vector<std::string> ReadSettingsLines(Os& os, const std::string& path, std::size_t count);

// Replaces the file with these lines, each followed by CR LF, through
// ReplaceFileContents (a temporary file swapped in with the file's rights,
// or the file itself rewritten in place where its folder takes no new
// file). A failure raises, also one that damaged the file written in place.
// The error raised is the EInOutError that
// writing the file itself would have given (5 when it is read-only, 32 when
// another program holds it, 3 when its folder is missing).
void WriteSettingsLines(Os& os, const std::string& path, const std::vector<std::string>& lines);

}  // namespace pix
