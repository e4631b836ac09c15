// An in-memory Windows machine behind the OS seam, for host tests. It keeps
// drives, volumes, a file tree, the current directory, clocks and the other
// process state the program asks of Windows, and answers with the results and
// error codes Windows gives for the same requests.
//
// Behaviour worth knowing when writing a test:
// - Names match without regard to letter case and keep the case they were
//   created with. A volume's case flags are only reported, never applied.
// - Paths follow the full-path rules of Windows: "X:\a", "X:rel" (against the
//   current directory when it is on X, else the drive's remembered folder, else
//   its root), "\rel", plain relative paths, "." and "..", "/" as separator,
//   one trailing dot dropped from inner components and all trailing dots and
//   blanks from the last one, and UNC paths \\server\share\... .
// - A folder enumerates its entries in the order they were created (not
//   sorted), with "." and ".." first in every folder but a root. Patterns
//   match the long names only: there are no 8.3 short names, through which
//   Windows may also list a.jpgx for *.jpg.
// - Names are spelled in code page 1252. A name with characters beyond it is
//   reached through the wide calls (and staged under SpelledName); the ANSI
//   calls list it with "?" for each such character, which no ANSI call then
//   finds. Such characters sort after all of the code page's, by code
//   point, and match no "?" of a pattern; their letter case is not folded.
// - Files opened through the seam share reading only, like the real layer;
//   writes show in the tree at once, and reach the disk at a flush (see
//   PowerCut). A file held open by "another program"
//   (HoldOpen) shares nothing.
// - Every access to a volume that is not ready fails with 21; when the error
//   mode lacks kSemFailCriticalErrors it also counts as a prompt Windows would
//   have shown (CriticalErrorPrompts).
// - The staging calls below bypass readiness, sharing and injected faults and
//   throw std::runtime_error when the layout asked for cannot be made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Os.h"

namespace pix {

// Error codes the machine gives beyond those the program names in Os.h.
// What a power cut leaves of data written to a file but not flushed.
enum class UnflushedData : std::uint8_t {
  Lost,    // the disk holds the file as last flushed
  Zeroed,  // the file's new length reached the disk, its new data did not: zeros
  Torn,    // the first half of the new data reached the disk, the rest is as it was
};

namespace memerr {
inline constexpr std::uint32_t kNotSameDevice = 17;  // a move between volumes
inline constexpr std::uint32_t kBadNetPath = 53;     // an unknown \\server\share
inline constexpr std::uint32_t kDirNotRoot = 144;    // a volume query on a folder
inline constexpr std::uint32_t kBadDevice = 1200;    // a connection query on no drive
}  // namespace memerr

class MemoryOs final : public Os {
 public:
  // A machine without drives, its current directory C:\ (the drive still to be
  // added), the module C:\Program\Pix_Rn.exe and the Windows directory
  // C:\windows (neither of which exists until staged).
  MemoryOs();
  ~MemoryOs() override;
  MemoryOs(const MemoryOs&) = delete;
  MemoryOs& operator=(const MemoryOs&) = delete;

  // --- The seam ---
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
  // Moves the clocks on, as Advance does.
  void Sleep(std::uint32_t milliseconds) override;
  std::string GetDesktopWallpaper() override;
  std::uint32_t SetDesktopWallpaper(const std::string& path) override;
  std::uintptr_t ShellExecute(std::uintptr_t owner, const std::string& file, const std::string& directory,
                              int showCommand) override;

  // --- Staging: drives and volumes ---
  // A local drive (Removable, Fixed, CdRom, RamDisk, or Unknown and NoRootDir
  // for letters Windows lists without a usable volume), ready, with an empty
  // root. Adding a letter again replaces that drive.
  void AddDrive(char letter, DriveType type, const std::string& label = "",
                std::uint32_t volumeFlags = volflag::kCasePreserved);
  // A network share reachable as `remoteName` (\\server\share), created on
  // first mention. AddNetworkDrive maps a letter to it: the letter and the
  // UNC root then reach the same tree, and the letter reports type Remote.
  void AddShare(const std::string& remoteName, const std::string& label = "",
                std::uint32_t volumeFlags = volflag::kCasePreserved);
  void AddNetworkDrive(char letter, const std::string& remoteName);
  // A drive without its medium (or a share out of reach): every access fails with 21.
  void SetDriveReady(char letter, bool ready);
  void SetShareReady(const std::string& remoteName, bool ready);
  void SetVolumeLabel(char letter, const std::string& label);
  void SetVolumeFlags(char letter, std::uint32_t volumeFlags);
  // Leaves that many bytes free on the drive's volume as it stands now, in
  // 4 KiB clusters (nullopt: no limit); a write that meets the limit writes
  // what fits and fails with 112.
  void LeaveFreeSpace(char letter, std::optional<std::uint64_t> bytes);
  // Makes GetNetworkConnection for the letter fail with `error` (0 to undo).
  void SetConnectionError(char letter, std::uint32_t error);
  // The folder that "X:" stands for while the current directory is on another
  // drive, as an inherited "=X:" variable gives it. Stored as spelled.
  void SetRememberedDirectory(char letter, const std::string& path);

  // How many enumerations (FindFiles, VisitFilesWide) the machine has answered.
  int Enumerations() const { return enumerations_; }

  // --- Staging: the file tree ---
  // The machine's own spelling of a wide path, for the staging calls below:
  // WriteFileContents(SpelledName(L"C:\\Pictures\\photo.jpg"), ...).
  static std::string SpelledName(const std::wstring& path);
  // Creates the folder and any missing parents. `attributes` are the extra
  // bits (read-only, hidden, system, archive) of the last folder.
  void MakeDirectory(const std::string& path, std::uint32_t attributes = 0);
  // Creates or replaces a file with these bytes, creating missing parents.
  // A new file gets the attributes given, or archive when 0 is given.
  void WriteFileContents(const std::string& path, const std::string& contents, std::uint32_t attributes = 0);
  std::string ReadFileContents(const std::string& path) const;
  // Sets the extra bits of a file or folder (the directory bit is kept).
  void SetAttributes(const std::string& path, std::uint32_t attributes);
  bool Exists(const std::string& path) const;
  // Removes a file, or a folder with everything in it, whatever holds it.
  void Remove(const std::string& path);
  // Holds a file (or folder) open as another program would, sharing nothing,
  // until the token goes: opening, deleting, copying or moving it then fails
  // with 32, replacing it with 5.
  std::shared_ptr<void> HoldOpen(const std::string& path);
  // Files opened through the seam and not yet closed.
  std::size_t OpenFileCount() const;

  // --- Clocks ---
  void SetLocalTime(const LocalTime& time);
  void SetTickCount(std::uint32_t ticks);
  // The id CurrentProcessId gives: each run of a test can be a process of its own.
  void SetProcessId(std::uint32_t id);
  // nullopt makes QueryPerformanceCounter fail. The counter runs at 10 MHz.
  void SetPerformanceCounter(std::optional<std::int64_t> count);
  // Moves the wall clock, the tick count and a working performance counter
  // forward together.
  void Advance(std::uint32_t milliseconds);

  // --- The process ---
  void SetModuleFileName(const std::string& path);
  // GetWindowsDirectory gives "" when this is 255 characters or longer.
  void SetWindowsDirectory(const std::string& path);

  // --- Observation ---
  std::uint32_t ErrorMode() const;
  // Every mode passed to SetErrorMode, in order.
  const std::vector<std::uint32_t>& ErrorModeLog() const;
  // Accesses to a volume that was not ready while the error mode let Windows
  // ask the user to insert a medium.
  std::size_t CriticalErrorPrompts() const;
  struct ShellCall {
    std::uintptr_t owner = 0;
    std::string file;
    std::string directory;
    int showCommand = 0;
  };
  // The desktop wallpaper as the user set it, and every request to load it
  // anew (SetDesktopWallpaper), in order.
  void SetWallpaperSetting(const std::string& path);
  const std::vector<std::string>& WallpaperReloads() const;
  // Every ShellExecute call, in order. ShellExecute gives 42 when `file`
  // names an existing file or folder, else 2 (3 when its folder is missing).
  const std::vector<ShellCall>& ShellCalls() const;

  // --- Faults ---
  // The nth OsFile::Write call from now (1 = the next one) fails with `error`
  // and writes nothing.
  void FailWrite(std::size_t nth, std::uint32_t error);
  // The next OsFile::Close call fails with `error`; the file is closed all the
  // same. A file closed by its destructor does not use up the fault.
  void FailNextClose(std::uint32_t error);
  // Creating a new file in the folder (opening, copying or moving to a name not
  // there yet) fails with 5; the files already there stay writable.
  void RefuseNewFiles(const std::string& folder, bool refuse = true);

  // --- Rights ---
  // Whether a file's DACL grants the Users group write access: every staged
  // file's does, as the installer leaves the two the program writes. A file
  // the process creates grants it only where the process is a standard
  // user's (its creator may write it). A move keeps the moved file's;
  // ReplaceKeepingRights gives the replacement the replaced file's, with its
  // attributes.
  void SetUsersMayWrite(const std::string& path, bool mayWrite);
  bool UsersMayWrite(const std::string& path) const;
  // From now on the process is a standard user's: it opens a file for
  // writing only where the file's DACL grants the Users group write access.
  void SetStandardUser(bool standardUser);
  void ClearFaults();

  // --- Power ---
  // Files hold what was written to them at once, as the cache does; only a
  // flush puts a file's data on the disk. Creations, deletions, moves,
  // replacements and attribute changes are kept in order in their volume's
  // journal and reach the disk together at the next flush of a file on that
  // volume or write-through move there. A power cut takes back the changes
  // still waiting, leaves every file's unflushed data to `fate`, and lets go
  // of every open file.
  void PowerCut(UnflushedData fate);
  // Whether every change to the tree has reached the disk.
  bool AllOnDisk() const;

  struct Machine;

 private:
  // FindFiles with the names in the machine's own spelling.
  OsResult<std::vector<DirEntry>> FindSpelled(const std::string& pattern);

  std::shared_ptr<Machine> m_;
  int enumerations_ = 0;
};

}  // namespace pix
