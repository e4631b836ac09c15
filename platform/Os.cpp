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

// The folder part of a path, with its separator ("C:" for "C:name").
std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// An in-place write overwrites the old content, and a disk that fills up
// part-way would leave a mixture, so it starts only when the volume surely
// holds all of the new content: the clusters the old file has and the free
// ones together. A volume that cannot tell its room is not written either.
std::uint32_t RoomInPlace(Os& os, const std::string& target, std::uint64_t newLength) {
  const auto space = os.GetDiskFreeSpace(FolderOf(target));
  if (!space) return space.error;
  const auto oldLength = os.GetFileSizeWide(os.AnsiToWide(target));
  if (!oldLength) return oldLength.error;
  const std::uint64_t cluster = space.value.clusterBytes ? space.value.clusterBytes : 1;
  const auto clusters = [cluster](std::uint64_t bytes) { return (bytes + cluster - 1) / cluster; };
  return clusters(newLength) <= clusters(oldLength.value) + space.value.freeBytes / cluster
             ? oserr::kSuccess
             : oserr::kDiskFull;
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
// byte of the new one is written; from there on a failure has damaged it.
ReplaceResult WriteInPlace(Os& os, const std::string& target, std::string_view content) {
  if (const std::uint32_t error = RoomInPlace(os, target, content.size())) return {error};
  constexpr std::uint32_t kPollMs = 50;
  auto opened = os.OpenFile(target, OpenMode::WriteExisting);
  // Another run writing the same file: its picture is as good as ours.
  for (std::uint32_t waited = 0; opened.error == oserr::kSharingViolation && waited < kWaitForOtherWriterMs;
       waited += kPollMs) {
    os.Sleep(kPollMs);
    opened = os.OpenFile(target, OpenMode::WriteExisting);
  }
  if (!opened) return {opened.error};
  const std::uint32_t error = CloseAfter(opened.value, WriteEndAndFlush(*opened.value, content));
  return {error, error != oserr::kSuccess};
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

// A kill inside the swap can leave the old file under its backup name and
// nothing under the target's: the first backup found goes back.
void RestoreFromBackup(Os& os, const std::string& target) {
  if (os.GetFileAttributes(target).error != oserr::kFileNotFound) return;
  const auto backups = os.FindFiles(target + ".*.bak");
  for (const DirEntry& backup : backups.value) {
    if ((backup.attributes & attr::kDirectory) == 0 &&
        os.MoveToFreeName(os.AnsiToWide(FolderOf(target) + backup.name), os.AnsiToWide(target), true) ==
            oserr::kSuccess)
      return;
  }
}

// Puts the flushed temporary file in the target's place. A target that is
// there is swapped with ReplaceFileW, which carries its DACL, owner and
// attributes over to the new file (a rename would give it the temporary
// file's, and take the Users group's write access away), and flushed after,
// since the swap is not written through. Where the rights refuse the swap
// the target is written in place, which keeps them by construction.
ReplaceResult SwapIn(Os& os, const std::string& target, const std::string& temporary,
                     const std::string& backup, std::string_view content) {
  const std::wstring targetWide = os.AnsiToWide(target);
  const std::wstring temporaryWide = os.AnsiToWide(temporary);
  if (!FileExists(os, target)) {
    const std::uint32_t error = os.MoveToFreeName(temporaryWide, targetWide, true);
    if (error) os.DeleteFile(temporary);
    return {error};
  }
  const std::uint32_t error = os.ReplaceKeepingRights(targetWide, temporaryWide, os.AnsiToWide(backup));
  if (error == oserr::kSuccess) {
    // The flush puts the swap and the backup's removal on the disk together.
    os.DeleteFile(backup);
    auto opened = os.OpenFile(target, OpenMode::WriteExisting);
    return {opened ? CloseAfter(opened.value, opened.value->Flush()) : opened.error};
  }
  if ((error == oserr::kAccessDenied || error == oserr::kUnableToRemoveReplaced) && FileExists(os, target)) {
    os.DeleteFile(temporary);
    return WriteInPlace(os, target, content);
  }
  // The replaced file stands under the backup's name (kUnableToMoveReplacement2):
  // it goes back, or the new one takes its place.
  if (!FileExists(os, target) &&
      os.MoveToFreeName(os.AnsiToWide(backup), targetWide, true) != oserr::kSuccess)
    os.MoveToFreeName(temporaryWide, targetWide, true);
  os.DeleteFile(temporary);
  return {error};
}

}  // namespace

ReplaceResult ReplaceFileContents(Os& os, const std::string& target, std::string_view content) {
  RestoreFromBackup(os, target);
  // The process id keeps simultaneous runs apart; the exclusive creation
  // passes over any name that is taken all the same.
  constexpr int kNamesToTry = 100;
  const std::string stem = target + "." + std::to_string(os.CurrentProcessId());
  for (int attempt = 0; attempt < kNamesToTry; ++attempt) {
    const std::string name = stem + (attempt ? "-" + std::to_string(attempt) : "");
    const std::string temporary = name + ".tmp";
    const std::string backup = name + ".bak";
    if (os.GetFileAttributes(temporary) || os.GetFileAttributes(backup)) continue;
    auto created = os.OpenFile(temporary, OpenMode::CreateNew);
    if (created.error == oserr::kFileExists || created.error == oserr::kAlreadyExists) continue;
    if (created.error == oserr::kAccessDenied && FileExists(os, target))
      return WriteInPlace(os, target, content);
    if (!created) return {created.error};
    if (const std::uint32_t error = WriteTemporary(os, created.value, temporary, content)) {
      os.DeleteFile(temporary);
      return {error};
    }
    return SwapIn(os, target, temporary, backup, content);
  }
  return {oserr::kFileExists};
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
