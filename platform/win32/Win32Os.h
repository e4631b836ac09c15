// The OS seam on the real Win32 API, through the ANSI functions, and the
// wide-character ones for the names the ANSI code page cannot spell.
#pragma once

#include "platform/Os.h"

namespace pix {

class Win32Os final : public Os {
 public:
  std::string ModuleFileName() override;
  OsResult<std::unique_ptr<OsFile>> OpenFile(const std::string& path, OpenMode mode) override;
  std::string GetCurrentDirectory() override;
  std::uint32_t SetCurrentDirectory(const std::string& path) override;
  OsResult<std::vector<DirEntry>> FindFiles(const std::string& pattern) override;
  std::uint32_t VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) override;
  OsResult<std::uint32_t> GetFileAttributes(const std::string& path) override;
  OsResult<std::uint32_t> GetFileAttributesWide(const std::wstring& path) override;
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  std::uint32_t CurrentProcessId() override;
  std::uint32_t GetLogicalDrives() override;
  DriveType GetDriveType(const std::string& root) override;
  OsResult<VolumeInfo> GetVolumeInformation(const std::string& root) override;
  OsResult<std::string> GetNetworkConnection(const std::string& localName) override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
  int CompareTextIgnoreCase(const std::string& a, const std::string& b) override;
  int CompareTextCaseSensitive(const std::string& a, const std::string& b) override;
  std::string SortKeyIgnoreCase(const std::string& text) override;
  void AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) override;
  std::string LowerCase(const std::string& text) override;
  std::string UpperCase(const std::string& text) override;
  std::wstring AnsiToWide(const std::string& text) override;
  std::optional<std::string> WideToAnsi(const std::wstring& text) override;
  LocalTime GetLocalTime() override;
  std::optional<std::int64_t> QueryPerformanceCounter() override;
  std::uint32_t GetTickCount() override;
  std::string GetWindowsDirectory() override;
  OsResult<std::uint64_t> GetFileSizeWide(const std::wstring& path) override;
  OsResult<DiskSpace> GetDiskFreeSpace(const std::string& folder) override;
  std::uint32_t DeleteFile(const std::string& path) override;
  OsResult<std::unique_ptr<OsFile>> OpenFileForReadingWide(const std::wstring& path) override;
  std::uint32_t MoveToFreeName(const std::wstring& from, const std::wstring& to, bool writeThrough) override;
  std::uint32_t ReplaceKeepingRights(const std::wstring& replaced, const std::wstring& replacement,
                                     const std::wstring& backup) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::string GetDesktopWallpaper() override;
  std::uint32_t SetDesktopWallpaper(const std::string& path) override;
  std::uintptr_t ShellExecute(std::uintptr_t owner, const std::string& file, const std::string& directory,
                              int showCommand) override;
};

}  // namespace pix
