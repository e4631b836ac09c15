// A machine that forwards every call to another one and fails the calls it
// is told to, so that the same injected failure runs against the in-memory
// machine and the real layer alike. It can also end the program at any one
// of its calls, as a kill or a power cut would: every call (files' included)
// passes one gate that counts it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Os.h"

namespace pix::test {

// Forwards a call to the inner machine through the gate, under its own name.
#define PIX_PASS(call, ...) Pass(#call, [&] { return inner_.call(__VA_ARGS__); })

class FaultyOs final : public Os {
 public:
  explicit FaultyOs(Os& inner) : inner_(inner), state_(std::make_shared<State>()) {}

  // The n-th Write from now (1 = the next one), on any file, fails with
  // `code` and writes nothing.
  void FailWrite(int n, std::uint32_t code) {
    state_->writesLeft = n;
    state_->writeCode = code;
  }
  // The next Close of any file fails with `code`; the file is closed all the
  // same, as a failed CloseHandle leaves the handle closed.
  void FailNextClose(std::uint32_t code) { state_->closeCode = code; }
  // The next Flush of any file fails with `code` and flushes nothing.
  void FailNextFlush(std::uint32_t code) { state_->flushCode = code; }
  // Reads of files opened from now on fail with `code` once `bytes` have
  // been read from that file, as a bad sector or a dropped share does;
  // `code` 0 makes them end early instead, as if the file ended there.
  void FailReadsAfter(std::size_t bytes, std::uint32_t code) { readFault_ = std::pair{bytes, code}; }
  // Every enumeration from now runs out of memory, as the listing of a huge
  // folder may on a machine short of it.
  void RunOutOfMemoryListing() { outOfMemory_ = true; }
  // The next ReplaceKeepingRights fails with `code`, leaving what the
  // platform documents for it: the replaced file under the backup's name
  // for kUnableToMoveReplacement2, nothing changed for any other code.
  void FailNextReplace(std::uint32_t code) { replaceCode_ = code; }
  // The next GetDiskFreeSpace fails with `code`: a volume that cannot tell its room.
  void FailNextDiskFreeSpace(std::uint32_t code) { spaceCode_ = code; }
  // The next OpenFile in `mode` fails with `code` and opens nothing; a fault
  // for OpenMode::Read also fails OpenFileForReadingWide.
  void FailNextOpen(OpenMode mode, std::uint32_t code) { openFault_ = std::pair{mode, code}; }

  // Ends the program at its n-th call from its start (1 = the first), as a
  // kill or a power cut would: that call and every later one fail and reach
  // nothing, so the machine stays as the end left it, whatever the program
  // goes on to do (the end may fall in a destructor, where nothing may be
  // thrown). A Write ended so writes half of its bytes first: the process
  // dies inside it. `end` then does to the machine what the end does
  // (nothing for a kill; a power cut).
  void EndAtCall(std::size_t n, std::function<void()> end = {}) {
    state_->endAt = n;
    state_->end = std::move(end);
  }
  // The calls so far, and what the last one was.
  std::size_t Calls() const { return state_->calls; }
  bool Ended() const { return state_->ended; }
  const std::string& LastCall() const { return state_->lastCall; }
  // The name of every call counted, in order.
  const std::vector<std::string>& CallNames() const { return state_->names; }

  // How many injected failures have been handed out.
  int FailuresGiven() const { return state_->given; }
  // How many enumerations reached the machine.
  int Enumerations() const { return enumerations_; }
  // The entry `name` is reported with the short name `shortName`, as a
  // volume with 8.3 names does (the in-memory machine has none).
  void ReportShortName(const std::wstring& name, const std::wstring& shortName) {
    shortNames_[name] = shortName;
  }

  std::string ModuleFileName() override { return PIX_PASS(ModuleFileName); }
  OsResult<std::unique_ptr<OsFile>> OpenFile(const std::string& path, OpenMode mode) override {
    return Pass("OpenFile", [&] {
      if (auto refused = RefusedOpen(mode)) return std::move(*refused);
      return Faulty(inner_.OpenFile(path, mode));
    });
  }
  OsResult<std::unique_ptr<OsFile>> OpenFileForReadingWide(const std::wstring& path) override {
    return Pass("OpenFileForReadingWide", [&] {
      if (auto refused = RefusedOpen(OpenMode::Read)) return std::move(*refused);
      return Faulty(inner_.OpenFileForReadingWide(path));
    });
  }
  std::string GetCurrentDirectory() override { return PIX_PASS(GetCurrentDirectory); }
  std::uint32_t SetCurrentDirectory(const std::string& path) override {
    return PIX_PASS(SetCurrentDirectory, path);
  }
  OsResult<std::vector<DirEntry>> FindFiles(const std::string& pattern) override {
    return Pass("FindFiles", [&] {
      ++enumerations_;
      if (outOfMemory_) throw std::bad_alloc();
      return inner_.FindFiles(pattern);
    });
  }
  std::uint32_t VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) override {
    return Pass("VisitFilesWide", [&] {
      ++enumerations_;
      if (outOfMemory_) throw std::bad_alloc();
      return inner_.VisitFilesWide(pattern, [&](const FoundEntry& entry) {
        const auto shortName = shortNames_.find(std::wstring(entry.name));
        visit({entry.name, shortName == shortNames_.end() ? entry.shortName : shortName->second,
               entry.attributes});
      });
    });
  }
  OsResult<std::uint32_t> GetFileAttributes(const std::string& path) override {
    return PIX_PASS(GetFileAttributes, path);
  }
  OsResult<std::uint32_t> GetFileAttributesWide(const std::wstring& path) override {
    return PIX_PASS(GetFileAttributesWide, path);
  }
  std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    return PIX_PASS(SetFileAttributes, path, attributes);
  }
  std::uint32_t GetLogicalDrives() override { return PIX_PASS(GetLogicalDrives); }
  DriveType GetDriveType(const std::string& root) override { return PIX_PASS(GetDriveType, root); }
  OsResult<VolumeInfo> GetVolumeInformation(const std::string& root) override {
    return PIX_PASS(GetVolumeInformation, root);
  }
  OsResult<std::string> GetNetworkConnection(const std::string& localName) override {
    return PIX_PASS(GetNetworkConnection, localName);
  }
  std::uint32_t SetErrorMode(std::uint32_t mode) override { return PIX_PASS(SetErrorMode, mode); }
  int CompareTextIgnoreCase(const std::string& a, const std::string& b) override {
    return PIX_PASS(CompareTextIgnoreCase, a, b);
  }
  int CompareTextCaseSensitive(const std::string& a, const std::string& b) override {
    return PIX_PASS(CompareTextCaseSensitive, a, b);
  }
  std::string SortKeyIgnoreCase(const std::string& text) override {
    return PIX_PASS(SortKeyIgnoreCase, text);
  }
  void AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) override {
    PIX_PASS(AppendSortKeyIgnoreCaseWide, text, keys);
  }
  std::string LowerCase(const std::string& text) override { return PIX_PASS(LowerCase, text); }
  std::string UpperCase(const std::string& text) override { return PIX_PASS(UpperCase, text); }
  std::wstring AnsiToWide(const std::string& text) override { return PIX_PASS(AnsiToWide, text); }
  std::optional<std::string> WideToAnsi(const std::wstring& text) override {
    return PIX_PASS(WideToAnsi, text);
  }
  std::uint32_t CurrentProcessId() override { return PIX_PASS(CurrentProcessId); }
  LocalTime GetLocalTime() override { return PIX_PASS(GetLocalTime); }
  std::optional<std::int64_t> QueryPerformanceCounter() override { return PIX_PASS(QueryPerformanceCounter); }
  std::uint32_t GetTickCount() override { return PIX_PASS(GetTickCount); }
  std::string GetWindowsDirectory() override { return PIX_PASS(GetWindowsDirectory); }
  OsResult<std::uint64_t> GetFileSizeWide(const std::wstring& path) override {
    return PIX_PASS(GetFileSizeWide, path);
  }
  OsResult<DiskSpace> GetDiskFreeSpace(const std::string& folder) override {
    return Pass("GetDiskFreeSpace", [&] {
      if (!spaceCode_) return inner_.GetDiskFreeSpace(folder);
      ++state_->given;
      return OsResult<DiskSpace>{{}, std::exchange(spaceCode_, std::nullopt).value()};
    });
  }
  std::uint32_t DeleteFile(const std::string& path) override { return PIX_PASS(DeleteFile, path); }
  std::uint32_t MoveToFreeName(const std::wstring& from, const std::wstring& to, bool writeThrough) override {
    return PIX_PASS(MoveToFreeName, from, to, writeThrough);
  }
  std::uint32_t ReplaceKeepingRights(const std::wstring& replaced, const std::wstring& replacement,
                                     const std::wstring& backup) override {
    return Pass("ReplaceKeepingRights", [&] {
      if (!replaceCode_) return inner_.ReplaceKeepingRights(replaced, replacement, backup);
      ++state_->given;
      const std::uint32_t code = std::exchange(replaceCode_, std::nullopt).value();
      if (code == oserr::kUnableToMoveReplacement2) inner_.MoveToFreeName(replaced, backup, false);
      return code;
    });
  }
  void Sleep(std::uint32_t milliseconds) override { PIX_PASS(Sleep, milliseconds); }
  std::string GetDesktopWallpaper() override { return PIX_PASS(GetDesktopWallpaper); }
  std::uint32_t SetDesktopWallpaper(const std::string& path) override {
    return PIX_PASS(SetDesktopWallpaper, path);
  }
  std::uintptr_t ShellExecute(std::uintptr_t owner, const std::string& file, const std::string& directory,
                              int showCommand) override {
    return PIX_PASS(ShellExecute, owner, file, directory, showCommand);
  }

 private:
  // Shared with the files handed out, which may outlive an arming call.
  struct State {
    int writesLeft = 0;  // 0: no write fault armed
    std::uint32_t writeCode = 0;
    std::optional<std::uint32_t> closeCode;
    std::optional<std::uint32_t> flushCode;
    int given = 0;

    std::size_t calls = 0;
    std::size_t endAt = 0;  // 0: the program is not ended
    std::function<void()> end;
    bool ended = false;
    std::string lastCall;
    std::vector<std::string> names;

    // Counts a call; false once the program has ended. At the call it is
    // to end at, `half` (a Write's first half) runs first, then the end.
    bool Enter(const char* name, const std::function<void()>& half = {}) {
      if (ended) return false;
      ++calls;
      lastCall = name;
      names.emplace_back(name);
      if (calls != endAt) return true;
      if (half) half();
      ended = true;
      if (end) end();
      return false;
    }
  };

  // What a call gives once the program has ended: a failure that reaches nothing.
  template <class Result>
  static Result Failure() {
    if constexpr (std::is_void_v<Result>) {
      return;
    } else if constexpr (std::is_same_v<Result, std::uint32_t>) {
      return oserr::kInvalidHandle;
    } else if constexpr (requires(Result r) { r.error; }) {
      Result failed{};
      failed.error = oserr::kInvalidHandle;
      return failed;
    } else {
      return Result{};
    }
  }

  template <class Call>
  auto Pass(const char* name, Call call) -> decltype(call()) {
    if (!state_->Enter(name)) return Failure<decltype(call())>();
    return call();
  }

  std::optional<OsResult<std::unique_ptr<OsFile>>> RefusedOpen(OpenMode mode) {
    if (!openFault_ || openFault_->first != mode) return std::nullopt;
    const std::uint32_t code = openFault_->second;
    openFault_.reset();
    ++state_->given;
    return OsResult<std::unique_ptr<OsFile>>{nullptr, code};
  }

  class FaultyFile final : public OsFile {
   public:
    FaultyFile(std::unique_ptr<OsFile> inner, std::shared_ptr<State> state,
               std::optional<std::pair<std::size_t, std::uint32_t>> readFault)
        : inner_(std::move(inner)), state_(std::move(state)), readFault_(std::move(readFault)) {}

    std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) override {
      got = 0;
      if (!state_->Enter("Read")) return oserr::kInvalidHandle;
      if (readFault_) {
        const auto [limit, code] = *readFault_;
        if (read_ >= limit) return code;
        size = std::min(size, limit - read_);
      }
      const std::uint32_t error = inner_->Read(buffer, size, got);
      read_ += got;
      return error;
    }
    std::uint32_t Write(const char* data, std::size_t size) override {
      if (!state_->Enter("Write", [&] { inner_->Write(data, size / 2); })) return oserr::kInvalidHandle;
      if (state_->writesLeft > 0 && --state_->writesLeft == 0) {
        ++state_->given;
        return state_->writeCode;
      }
      return inner_->Write(data, size);
    }
    std::uint32_t SetEnd() override {
      if (!state_->Enter("SetEnd")) return oserr::kInvalidHandle;
      return inner_->SetEnd();
    }
    std::uint32_t Flush() override {
      if (!state_->Enter("Flush")) return oserr::kInvalidHandle;
      if (!state_->flushCode) return inner_->Flush();
      ++state_->given;
      return std::exchange(state_->flushCode, std::nullopt).value();
    }
    std::uint32_t Close() override {
      // A dead process's handles are closed by the system all the same.
      if (!state_->Enter("Close")) {
        inner_->Close();
        return oserr::kInvalidHandle;
      }
      const std::uint32_t result = inner_->Close();
      if (!state_->closeCode) return result;
      ++state_->given;
      return std::exchange(state_->closeCode, std::nullopt).value();
    }

   private:
    std::unique_ptr<OsFile> inner_;
    std::shared_ptr<State> state_;
    std::optional<std::pair<std::size_t, std::uint32_t>> readFault_;
    std::size_t read_ = 0;
  };

  OsResult<std::unique_ptr<OsFile>> Faulty(OsResult<std::unique_ptr<OsFile>> opened) {
    if (!opened) return opened;
    return {std::make_unique<FaultyFile>(std::move(opened.value), state_, readFault_), oserr::kSuccess};
  }

  Os& inner_;
  std::shared_ptr<State> state_;
  std::optional<std::uint32_t> replaceCode_;
  std::optional<std::uint32_t> spaceCode_;
  std::optional<std::pair<OpenMode, std::uint32_t>> openFault_;
  std::optional<std::pair<std::size_t, std::uint32_t>> readFault_;
  int enumerations_ = 0;
  bool outOfMemory_ = false;
  std::map<std::wstring, std::wstring> shortNames_;
};

#undef PIX_PASS

}  // namespace pix::test
