#include "platform/Os.h"

#include <new>

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

namespace {

// An in-place write overwrites the old content, and a disk that fills up
// part-way would leave a mixture, so it starts only when the volume surely
// holds all of the new content: the clusters the old file has and the free
// ones together. A volume that cannot tell its room is written all the same.
bool FitsInPlace(Os& os, const std::string& target, std::uint64_t newLength) {
  const std::size_t cut = target.find_last_of("\\/:");
  const auto space =
      os.GetDiskFreeSpace(cut == std::string::npos ? std::string() : target.substr(0, cut + 1));
  const auto oldLength = os.GetFileSizeWide(os.AnsiToWide(target));
  if (!space || !oldLength) return true;
  const std::uint64_t cluster = space.value.clusterBytes ? space.value.clusterBytes : 1;
  const auto clusters = [cluster](std::uint64_t bytes) { return (bytes + cluster - 1) / cluster; };
  return clusters(newLength) <= clusters(oldLength.value) + space.value.freeBytes / cluster;
}

// Closes a file, giving the first error of the step before and the close.
std::uint32_t CloseAfter(std::unique_ptr<OsFile>& file, std::uint32_t error) {
  const std::uint32_t closed = file->Close();
  file.reset();
  return error ? error : closed;
}

// Writes the content, ends the file there and puts it on the disk.
std::uint32_t WriteEndAndFlush(OsFile& file, std::string_view content) {
  if (const std::uint32_t error = file.Write(content.data(), content.size())) return error;
  if (const std::uint32_t error = file.SetEnd()) return error;
  return file.Flush();
}

// The in-place way: the old content stays byte for byte until the first
// byte of the new one is written.
std::uint32_t WriteInPlace(Os& os, const std::string& target, std::string_view content) {
  if (!FitsInPlace(os, target, content.size())) return oserr::kDiskFull;
  constexpr std::uint32_t kPollMs = 50;
  auto opened = os.OpenFile(target, OpenMode::WriteExisting);
  // Another run writing the same file: its picture is as good as ours.
  for (std::uint32_t waited = 0; opened.error == oserr::kSharingViolation && waited < kWaitForOtherWriterMs;
       waited += kPollMs) {
    os.Sleep(kPollMs);
    opened = os.OpenFile(target, OpenMode::WriteExisting);
  }
  if (!opened) return opened.error;
  return CloseAfter(opened.value, WriteEndAndFlush(*opened.value, content));
}

// The temporary file's content, checked against what was meant to reach it
// and flushed. Gives 0 or the error code.
std::uint32_t WriteTemporary(Os& os, std::unique_ptr<OsFile>& file, const std::string& temporary,
                             std::string_view content) {
  if (const std::uint32_t error = CloseAfter(file, WriteEndAndFlush(*file, content))) return error;
  const auto written = os.GetFileSizeWide(os.AnsiToWide(temporary));
  if (!written) return written.error;
  return written.value == content.size() ? oserr::kSuccess : oserr::kWriteFault;
}

}  // namespace

std::uint32_t ReplaceFileContents(Os& os, const std::string& target, std::string_view content) {
  // The process id keeps simultaneous runs apart; the exclusive creation
  // passes over any name that is taken all the same.
  constexpr int kNamesToTry = 100;
  const std::string stem = target + "." + std::to_string(os.CurrentProcessId());
  for (int attempt = 0; attempt < kNamesToTry; ++attempt) {
    const std::string temporary = stem + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
    if (os.GetFileAttributes(temporary)) continue;
    auto created = os.OpenFile(temporary, OpenMode::CreateNew);
    if (created.error == oserr::kFileExists || created.error == oserr::kAlreadyExists) continue;
    if (created.error == oserr::kAccessDenied && FileExists(os, target))
      return WriteInPlace(os, target, content);
    if (!created) return created.error;
    std::uint32_t error = WriteTemporary(os, created.value, temporary, content);
    if (error == oserr::kSuccess) error = os.MoveFileReplace(temporary, target);
    if (error != oserr::kSuccess) os.DeleteFile(temporary);
    return error;
  }
  return oserr::kFileExists;
}

std::uint32_t ReadWholeFile(Os& os, const std::wstring& path, std::uint64_t expectedLength,
                            std::string& content) {
  content.clear();
  if (expectedLength > content.max_size()) return oserr::kNotEnoughMemory;
  auto opened = os.OpenFileForReadingWide(path);
  if (!opened) return opened.error;
  std::unique_ptr<OsFile>& file = opened.value;
  try {
    content.resize(static_cast<std::size_t>(expectedLength));
  } catch (const std::bad_alloc&) {
    return CloseAfter(file, oserr::kNotEnoughMemory);
  }
  std::size_t filled = 0;
  while (filled < content.size()) {
    std::size_t got = 0;
    if (const std::uint32_t error = file->Read(content.data() + filled, content.size() - filled, got))
      return CloseAfter(file, error);
    if (got == 0) return CloseAfter(file, oserr::kReadFault);  // cut short since its length was taken
    filled += got;
  }
  // One byte more must find the end: a file that grew is not the one measured.
  char beyond = 0;
  std::size_t got = 0;
  const std::uint32_t error = file->Read(&beyond, 1, got);
  return CloseAfter(file, error ? error : got != 0 ? oserr::kReadFault : oserr::kSuccess);
}

}  // namespace pix
