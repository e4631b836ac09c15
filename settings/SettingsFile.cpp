#include "settings/SettingsFile.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "settings/Errors.h"

namespace pix {
namespace {

constexpr char kLineFeed = 10;
constexpr char kCarriageReturn = 13;
constexpr char kCtrlZ = 26;
// The UTF-8 byte-order mark.
constexpr std::string_view kMark = "\xEF\xBB\xBF";
// ERROR_INSUFFICIENT_BUFFER: a line longer than the reader takes.
constexpr std::uint32_t kLineTooLong = 122;

bool EndsRun(char c) {
  return c == kLineFeed || c == kCarriageReturn || c == kCtrlZ;
}

std::unique_ptr<OsFile> Open(Os& os, const std::string& path, OpenMode mode) {
  auto opened = os.OpenFile(path, mode);
  if (!opened) throw EInOutError(opened.error);
  return std::move(opened.value);
}

constexpr std::string_view kLineEnd = "\r\n";

void CloseOrThrow(std::unique_ptr<OsFile>& file) {
  const std::uint32_t error = file->Close();
  file.reset();
  if (error) throw EInOutError(error);
}

}  // namespace

std::string ExecutableFolder(Os& os) {
  const std::string module = os.ModuleFileName();
  const std::size_t cut = module.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : module.substr(0, cut + 1);
}

std::string SettingsFilePath(Os& os) {
  return ExecutableFolder(os) + "Pix_rn.dat";
}

TextFileReader::TextFileReader(Os& os, const std::string& path, std::size_t chunkSize)
    : TextFileReader(Open(os, path, OpenMode::Read), chunkSize) {}

TextFileReader::TextFileReader(std::unique_ptr<OsFile> file, std::size_t chunkSize)
    : file_(std::move(file)),
      chunkSize_(std::max<std::size_t>(chunkSize, 1)),
      buffer_(std::max(chunkSize_, kMark.size())) {}

TextFileReader::~TextFileReader() {
  // A failure that is already being reported, or a reader left early: the
  // close result has nobody to go to.
  if (file_) file_->Close();
}

bool TextFileReader::Fill() {
  if (atEnd_ || !file_) return false;
  position_ = end_ = 0;
  // The first fill takes at least the length of the mark, where the file has it.
  const std::size_t room = started_ ? chunkSize_ : buffer_.size();
  do {
    std::size_t got = 0;
    if (const std::uint32_t error = file_->Read(buffer_.data() + end_, room - end_, got))
      throw EInOutError(error);
    if (got == 0) break;
    end_ += got;
  } while (!started_ && end_ < kMark.size());
  if (!started_) {
    started_ = true;
    if (std::string_view(buffer_.data(), end_).starts_with(kMark)) position_ = kMark.size();
  }
  if (end_ == 0) atEnd_ = true;
  return end_ != 0;
}

std::string TextFileReader::ReadLine() {
  std::string line;
  std::size_t consumed = 0;
  bool skipping = false;  // after a Ctrl-Z, up to the line end
  for (;;) {
    if (position_ == end_ && !Fill()) return line;
    const char* data = buffer_.data();
    std::size_t run = position_;
    while (run < end_ && !EndsRun(data[run]))
      ++run;
    // Skipped text counts too: a line never costs more than the bound.
    consumed += run - position_;
    if (consumed > kLongestLine) throw EInOutError(kLineTooLong);
    if (!skipping) line.append(data + position_, run - position_);
    position_ = run;
    if (position_ == end_) continue;

    const char c = data[position_++];
    if (c == kLineFeed) return line;
    if (c == kCtrlZ) {
      skipping = true;
      continue;
    }
    // A carriage return: it ends the line only when a line feed follows,
    // which may be the first byte of the next chunk.
    if (position_ == end_ && !Fill()) return line;
    if (buffer_[position_] == kLineFeed) {
      ++position_;
      return line;
    }
  }
}

void TextFileReader::Close() {
  // Whatever was buffered goes with the file: a closed reader reads "".
  position_ = end_ = 0;
  atEnd_ = true;
  if (file_) CloseOrThrow(file_);
}

std::vector<std::string> ReadSettingsLines(Os& os, const std::string& path, std::size_t count) {
  TextFileReader reader(os, path);
  std::vector<std::string> lines;
  lines.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    lines.push_back(reader.ReadLine());
  reader.Close();
  return lines;
}

void WriteSettingsLines(Os& os, const std::string& path, const std::vector<std::string>& lines) {
  // Ask the file itself first, without touching it, so that a read-only file,
  // one held by another program or a missing folder fails as writing the
  // file would, before anything is written.
  // Windows refuses to write a read-only file; asking the attribute first
  // gives that answer everywhere, also where the file system would let the
  // write through (as for an administrator on some file systems).
  if (const auto attributes = os.GetFileAttributes(path);
      attributes && (attributes.value & attr::kReadOnly) && !(attributes.value & attr::kDirectory))
    throw EInOutError(oserr::kAccessDenied);

  {
    auto probe = os.OpenFile(path, OpenMode::WriteExisting);
    // Nothing was written through it, so its close result tells nothing.
    if (!probe && probe.error != oserr::kFileNotFound) throw EInOutError(probe.error);
  }
  std::string text;
  for (const std::string& line : lines)
    text.append(line).append(kLineEnd);
  if (const auto replaced = ReplaceFileContents(os, path, text); !replaced) throw EInOutError(replaced.error);
}

}  // namespace pix
