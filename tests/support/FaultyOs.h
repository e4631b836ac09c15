// A machine that forwards every call to another one and fails the calls it
// is told to, so that the same injected failure runs against the in-memory
// machine and the real layer alike.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Os.h"

namespace pix::test {

class FaultyOs final : public Os {
 public:
  explicit FaultyOs(Os& inner) : inner_(inner), faults_(std::make_shared<Faults>()) {}

  // The n-th Write from now (1 = the next one), on any file, fails with
  // `code` and writes nothing.
  void FailWrite(int n, std::uint32_t code) {
    faults_->writesLeft = n;
    faults_->writeCode = code;
  }
  // The next Close of any file fails with `code`; the file is closed all the
  // same, as a failed CloseHandle leaves the handle closed.
  void FailNextClose(std::uint32_t code) { faults_->closeCode = code; }
  // The next MoveFileReplace fails with `code` and moves nothing.
  void FailNextMoveFileReplace(std::uint32_t code) { moveCode_ = code; }
  // The next OpenFile in `mode` fails with `code` and opens nothing; a fault
  // for OpenMode::Read also fails OpenFileForReadingWide.
  void FailNextOpen(OpenMode mode, std::uint32_t code) { openFault_ = std::pair{mode, code}; }

  // How many injected failures have been handed out.
  int FailuresGiven() const { return faults_->given; }

  std::string ModuleFileName() override { return inner_.ModuleFileName(); }

  OsResult<std::unique_ptr<OsFile>> OpenFile(const std::string& path, OpenMode mode) override {
    if (auto refused = RefusedOpen(mode)) return std::move(*refused);
    return Faulty(inner_.OpenFile(path, mode));
  }
  OsResult<std::unique_ptr<OsFile>> OpenFileForReadingWide(const std::wstring& path) override {
    if (auto refused = RefusedOpen(OpenMode::Read)) return std::move(*refused);
    return Faulty(inner_.OpenFileForReadingWide(path));
  }

  std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
  std::uint32_t SetCurrentDirectory(const std::string& path) override {
    return inner_.SetCurrentDirectory(path);
  }
  OsResult<std::vector<DirEntry>> FindFiles(const std::string& pattern) override {
    ++enumerations_;
    return inner_.FindFiles(pattern);
  }
  // How many enumerations reached the machine.
  int Enumerations() const { return enumerations_; }
  std::uint32_t VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) override {
    ++enumerations_;
    return inner_.VisitFilesWide(pattern, [&](const FoundEntry& entry) {
      const auto shortName = shortNames_.find(std::wstring(entry.name));
      visit({entry.name, shortName == shortNames_.end() ? entry.shortName : shortName->second,
             entry.attributes});
    });
  }
  // The entry `name` is reported with the short name `shortName`, as a
  // volume with 8.3 names does (the in-memory machine has none).
  void ReportShortName(const std::wstring& name, const std::wstring& shortName) {
    shortNames_[name] = shortName;
  }
  OsResult<std::uint32_t> GetFileAttributes(const std::string& path) override {
    return inner_.GetFileAttributes(path);
  }
  OsResult<std::uint32_t> GetFileAttributesWide(const std::wstring& path) override {
    return inner_.GetFileAttributesWide(path);
  }
  std::uint32_t GetLogicalDrives() override { return inner_.GetLogicalDrives(); }
  DriveType GetDriveType(const std::string& root) override { return inner_.GetDriveType(root); }
  OsResult<VolumeInfo> GetVolumeInformation(const std::string& root) override {
    return inner_.GetVolumeInformation(root);
  }
  OsResult<std::string> GetNetworkConnection(const std::string& localName) override {
    return inner_.GetNetworkConnection(localName);
  }
  std::uint32_t SetErrorMode(std::uint32_t mode) override { return inner_.SetErrorMode(mode); }
  int CompareTextIgnoreCase(const std::string& a, const std::string& b) override {
    return inner_.CompareTextIgnoreCase(a, b);
  }
  int CompareTextCaseSensitive(const std::string& a, const std::string& b) override {
    return inner_.CompareTextCaseSensitive(a, b);
  }
  std::string SortKeyIgnoreCase(const std::string& text) override { return inner_.SortKeyIgnoreCase(text); }
  void AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) override {
    inner_.AppendSortKeyIgnoreCaseWide(text, keys);
  }
  std::string LowerCase(const std::string& text) override { return inner_.LowerCase(text); }
  std::string UpperCase(const std::string& text) override { return inner_.UpperCase(text); }
  std::wstring AnsiToWide(const std::string& text) override { return inner_.AnsiToWide(text); }
  std::optional<std::string> WideToAnsi(const std::wstring& text) override { return inner_.WideToAnsi(text); }
  LocalTime GetLocalTime() override { return inner_.GetLocalTime(); }
  std::optional<std::int64_t> QueryPerformanceCounter() override { return inner_.QueryPerformanceCounter(); }
  std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.SetFileAttributes(path, attributes);
  }
  std::uint32_t CurrentProcessId() override { return inner_.CurrentProcessId(); }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  OsResult<std::uint64_t> GetFileSizeWide(const std::wstring& path) override {
    return inner_.GetFileSizeWide(path);
  }
  OsResult<DiskSpace> GetDiskFreeSpace(const std::string& folder) override {
    return inner_.GetDiskFreeSpace(folder);
  }
  std::uint32_t DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
  std::uint32_t CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    return inner_.CopyFile(from, to, failIfExists);
  }
  std::uint32_t CopyFileWide(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    return inner_.CopyFileWide(from, to, failIfExists);
  }
  std::uint32_t MoveFileReplace(const std::string& from, const std::string& to) override {
    if (moveCode_) {
      const std::uint32_t code = *moveCode_;
      moveCode_.reset();
      ++faults_->given;
      return code;
    }
    return inner_.MoveFileReplace(from, to);
  }
  std::string GetDesktopWallpaper() override { return inner_.GetDesktopWallpaper(); }
  std::uint32_t SetDesktopWallpaper(const std::string& path) override {
    return inner_.SetDesktopWallpaper(path);
  }
  std::uintptr_t ShellExecute(std::uintptr_t owner, const std::string& file, const std::string& directory,
                              int showCommand) override {
    return inner_.ShellExecute(owner, file, directory, showCommand);
  }

 private:
  std::optional<OsResult<std::unique_ptr<OsFile>>> RefusedOpen(OpenMode mode) {
    if (!openFault_ || openFault_->first != mode) return std::nullopt;
    const std::uint32_t code = openFault_->second;
    openFault_.reset();
    ++faults_->given;
    return OsResult<std::unique_ptr<OsFile>>{nullptr, code};
  }

  // Shared with the files handed out, which may outlive an arming call.
  struct Faults {
    int writesLeft = 0;  // 0: no write fault armed
    std::uint32_t writeCode = 0;
    std::optional<std::uint32_t> closeCode;
    int given = 0;
  };

  class FaultyFile final : public OsFile {
   public:
    FaultyFile(std::unique_ptr<OsFile> inner, std::shared_ptr<Faults> faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}

    std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) override {
      return inner_->Read(buffer, size, got);
    }
    std::uint32_t Write(const char* data, std::size_t size) override {
      if (faults_->writesLeft > 0 && --faults_->writesLeft == 0) {
        ++faults_->given;
        return faults_->writeCode;
      }
      return inner_->Write(data, size);
    }
    std::uint32_t Close() override {
      const std::uint32_t result = inner_->Close();
      if (faults_->closeCode) {
        const std::uint32_t code = *faults_->closeCode;
        faults_->closeCode.reset();
        ++faults_->given;
        return code;
      }
      return result;
    }

   private:
    std::unique_ptr<OsFile> inner_;
    std::shared_ptr<Faults> faults_;
  };

  OsResult<std::unique_ptr<OsFile>> Faulty(OsResult<std::unique_ptr<OsFile>> opened) {
    if (!opened) return opened;
    return {std::make_unique<FaultyFile>(std::move(opened.value), faults_), oserr::kSuccess};
  }

  Os& inner_;
  std::shared_ptr<Faults> faults_;
  std::optional<std::uint32_t> moveCode_;
  std::optional<std::pair<OpenMode, std::uint32_t>> openFault_;
  int enumerations_ = 0;
  std::map<std::wstring, std::wstring> shortNames_;
};

}  // namespace pix::test
