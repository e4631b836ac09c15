// The operating-system seam: everything the program asks of kernel32, mpr and
// shell32, behind one interface. Two implementations exist: the real one on
// Win32 (Win32Os) and an in-memory Windows-like machine for host tests
// (MemoryOs). Calls mirror the Win32 functions they stand for: they report
// failure through a Windows error code instead of throwing, so that callers
// can decide, as the program does, which failures matter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pix {

// Windows error codes the program and its tests rely on.
namespace oserr {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kTooManyOpenFiles = 4;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidHandle = 6;
inline constexpr std::uint32_t kNotEnoughMemory = 8;
inline constexpr std::uint32_t kNoMoreFiles = 18;
inline constexpr std::uint32_t kNotReady = 21;
inline constexpr std::uint32_t kWriteFault = 29;
inline constexpr std::uint32_t kReadFault = 30;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kDiskFull = 112;
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kInvalidName = 123;
inline constexpr std::uint32_t kAlreadyExists = 183;
inline constexpr std::uint32_t kDirectory = 267;  // "The directory name is invalid."
// ReplaceFileW's partial failures: the replaced file could not be deleted
// (both keep their names); the replacement could not be renamed (both keep
// their names where a backup was asked for); the replacement could not be
// moved (it keeps its name, and the replaced file stands under the backup's).
inline constexpr std::uint32_t kUnableToRemoveReplaced = 1175;
inline constexpr std::uint32_t kUnableToMoveReplacement = 1176;
inline constexpr std::uint32_t kUnableToMoveReplacement2 = 1177;
inline constexpr std::uint32_t kNoNetwork = 1222;
inline constexpr std::uint32_t kNotConnected = 2250;
}  // namespace oserr

// File attribute bits, as FILE_ATTRIBUTE_*.
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kVolumeId = 0x08;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
}  // namespace attr

// Volume flags, as FILE_CASE_SENSITIVE_SEARCH and FILE_CASE_PRESERVED_NAMES.
namespace volflag {
inline constexpr std::uint32_t kCaseSensitive = 0x01;
inline constexpr std::uint32_t kCasePreserved = 0x02;
}  // namespace volflag

// SEM_FAILCRITICALERRORS, the error mode that keeps a drive without a medium quiet.
inline constexpr std::uint32_t kSemFailCriticalErrors = 0x0001;

enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

struct DirEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

// The room left on a volume, as this process may use it.
struct DiskSpace {
  std::uint64_t freeBytes = 0;
  std::uint32_t clusterBytes = 0;  // files take room in whole clusters
};

// An entry as the wide enumeration hands it over: views into the platform's
// own record, valid until the visitor returns. The name is in UTF-16 (on
// Windows) or in code points (on the host), whatever the ANSI code page.
struct FoundEntry {
  std::wstring_view name;
  std::wstring_view shortName;  // the 8.3 name, where the platform reports one
  std::uint32_t attributes = 0;
};
using EntryVisitor = std::function<void(const FoundEntry&)>;

class ListingShare;

struct LocalTime {
  std::uint16_t year = 0, month = 0, day = 0;
  std::uint16_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct VolumeInfo {
  std::string label;
  std::uint32_t flags = 0;
};

// An open file. Closing twice is harmless; the destructor closes a file that
// is still open and drops the result.
class OsFile {
 public:
  virtual ~OsFile() = default;
  // Reads up to `size` bytes into `buffer`; `got` receives the count (0 at
  // the end of the file). Returns 0 or the error code.
  virtual std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) = 0;
  // Writes all `size` bytes or fails. Returns 0 or the error code.
  virtual std::uint32_t Write(const char* data, std::size_t size) = 0;
  // Ends the file where the last write ended (SetEndOfFile).
  virtual std::uint32_t SetEnd() = 0;
  // Puts what was written on the disk before it returns (FlushFileBuffers):
  // until then a power cut may lose it, or leave zeros in its place.
  virtual std::uint32_t Flush() = 0;
  virtual std::uint32_t Close() = 0;
};

template <class T>
struct OsResult {
  T value{};
  std::uint32_t error = oserr::kSuccess;
  explicit operator bool() const { return error == oserr::kSuccess; }
};

enum class OpenMode {
  Read,         // must exist; others may read, not write
  CreateWrite,  // created or emptied; others may read
  // Must exist; opened for writing at its start and left as it is (nothing
  // emptied); others may read, nobody else may write it meanwhile.
  WriteExisting,
  // Created only where no file or folder of that name is there yet (fails
  // with kFileExists otherwise); others may read.
  CreateNew,
};

class Os {
 public:
  virtual ~Os() = default;

  // The full path of the running executable (GetModuleFileNameA).
  virtual std::string ModuleFileName() = 0;

  // Text files (CreateFileA with the sharing given by the mode).
  virtual OsResult<std::unique_ptr<OsFile>> OpenFile(const std::string& path, OpenMode mode) = 0;

  // The process's current directory.
  virtual std::string GetCurrentDirectory() = 0;
  virtual std::uint32_t SetCurrentDirectory(const std::string& path) = 0;

  // Enumerates the entries matching a wildcard pattern (FindFirstFileA and
  // FindNextFileA), "." and ".." included where the platform reports them.
  // A pattern that matches nothing gives an empty list and kFileNotFound.
  virtual OsResult<std::vector<DirEntry>> FindFiles(const std::string& pattern) = 0;

  // FindFirstFileW and FindNextFileW: hands each entry matching the pattern
  // to `visit` as the platform reports it, with the name as it is stored,
  // also one the ANSI code page cannot spell (which the ANSI calls report
  // with "?" in place of each such character). Nothing is kept, so a folder
  // of any size costs only what the visitor keeps. Gives kFileNotFound when
  // nothing matches, or the error that ended the enumeration.
  virtual std::uint32_t VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) = 0;
  // VisitFilesWide, except while a ListingShare is open on this machine:
  // then the enumerations of one folder with the pattern "*.*" or a plain
  // extension mask such as "*.jpg" are all answered from one reading of it.
  std::uint32_t VisitFilesWideShared(const std::wstring& pattern, const EntryVisitor& visit);

  // GetFileAttributesA: the attributes, or the error code.
  virtual OsResult<std::uint32_t> GetFileAttributes(const std::string& path) = 0;
  // GetFileAttributesW.
  virtual OsResult<std::uint32_t> GetFileAttributesWide(const std::wstring& path) = 0;
  // SetFileAttributesA. Gives 0 or the error code.
  virtual std::uint32_t SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;

  // Drives and volumes.
  virtual std::uint32_t GetLogicalDrives() = 0;
  virtual DriveType GetDriveType(const std::string& root) = 0;
  virtual OsResult<VolumeInfo> GetVolumeInformation(const std::string& root) = 0;
  // WNetGetConnectionA for a local name such as "Z:".
  virtual OsResult<std::string> GetNetworkConnection(const std::string& localName) = 0;
  // SetErrorMode: sets the mode and gives the previous one.
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) = 0;

  // Locale-aware text rules of the user's default locale (CompareStringA,
  // CharLowerBuffA, CharUpperBuffA). Comparisons give <0, 0 or >0.
  virtual int CompareTextIgnoreCase(const std::string& a, const std::string& b) = 0;
  virtual int CompareTextCaseSensitive(const std::string& a, const std::string& b) = 0;
  // The user's locale sort key ignoring case (LCMapStringA with
  // LCMAP_SORTKEY and NORM_IGNORECASE): comparing two keys bytewise gives
  // the order of CompareTextIgnoreCase, so a long list is sorted with one
  // locale call per name instead of one per comparison.
  virtual std::string SortKeyIgnoreCase(const std::string& text) = 0;
  // The same key of a wide text (LCMapStringW). The ANSI call maps its
  // text to wide characters and takes this key, so a name the code page
  // can spell gets the key of its ANSI spelling.
  // Appended to `keys`, without the zero byte that ends it (which plays no
  // part in the order): a long list keeps all its keys in one buffer.
  virtual void AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) = 0;
  virtual std::string LowerCase(const std::string& text) = 0;
  virtual std::string UpperCase(const std::string& text) = 0;

  // The ANSI code page's text in wide characters (MultiByteToWideChar with
  // CP_ACP), and back (WideCharToMultiByte): nullopt when a character has
  // no exact spelling in the code page.
  virtual std::wstring AnsiToWide(const std::string& text) = 0;
  virtual std::optional<std::string> WideToAnsi(const std::wstring& text) = 0;

  // GetCurrentProcessId.
  virtual std::uint32_t CurrentProcessId() = 0;

  // Clocks.
  virtual LocalTime GetLocalTime() = 0;
  virtual std::optional<std::int64_t> QueryPerformanceCounter() = 0;
  virtual std::uint32_t GetTickCount() = 0;

  // GetWindowsDirectoryA: the directory, or "" when the call fails or the
  // path does not fit the 255-byte buffer.
  virtual std::string GetWindowsDirectory() = 0;

  // Files as wholes.
  // The length of a file (GetFileAttributesExW).
  virtual OsResult<std::uint64_t> GetFileSizeWide(const std::wstring& path) = 0;
  // The room left on the volume that holds `folder` (GetDiskFreeSpaceExA,
  // the cluster size from GetDiskFreeSpaceA on the volume's root).
  virtual OsResult<DiskSpace> GetDiskFreeSpace(const std::string& folder) = 0;
  virtual std::uint32_t DeleteFile(const std::string& path) = 0;
  // CreateFileW for reading, as OpenFile with OpenMode::Read.
  virtual OsResult<std::unique_ptr<OsFile>> OpenFileForReadingWide(const std::wstring& path) = 0;
  // MoveFileExW to a name nothing stands at (it never replaces a file);
  // with `writeThrough` (MOVEFILE_WRITE_THROUGH) the move is on the disk
  // when it returns, else only once something on the volume is flushed.
  virtual std::uint32_t MoveToFreeName(const std::wstring& from, const std::wstring& to,
                                       bool writeThrough) = 0;
  // ReplaceFileW, without the flags that ignore merge and ACL errors:
  // `replacement` takes the place of `replaced` with the replaced file's
  // DACL, owner, attributes and streams, and the replaced file stands under
  // `backup` afterwards. Not on the disk until the file is flushed. Fails
  // with one of the codes above, or another when nothing was changed.
  virtual std::uint32_t ReplaceKeepingRights(const std::wstring& replaced, const std::wstring& replacement,
                                             const std::wstring& backup) = 0;

  // Sleep: lets the time pass.
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // The desktop wallpaper's file (SystemParametersInfoA with
  // SPI_GETDESKWALLPAPER), "" when there is none or the call fails.
  virtual std::string GetDesktopWallpaper() = 0;
  // Asks Windows to load the wallpaper from this file anew
  // (SPI_SETDESKWALLPAPER with SPIF_SENDCHANGE). Gives 0 or the error code.
  virtual std::uint32_t SetDesktopWallpaper(const std::string& path) = 0;

  // ShellExecuteA with no operation and no parameters. `owner` is the
  // window handle as a number. Gives the call's instance value (above 32 on
  // success).
  virtual std::uintptr_t ShellExecute(std::uintptr_t owner, const std::string& file,
                                      const std::string& directory, int showCommand) = 0;

 private:
  friend class ListingShare;
  ListingShare* share_ = nullptr;  // the outermost open share, not owned
};

// Helpers every caller would otherwise write again.
bool DirectoryExists(Os& os, const std::string& path);
bool FileExists(Os& os, const std::string& path);
bool FileExistsWide(Os& os, const std::wstring& path);

// What became of a file that ReplaceFileContents was to replace.
struct ReplaceResult {
  std::uint32_t error = oserr::kSuccess;
  // The error came while the new content was being written over the old in
  // place: the file holds neither whole.
  bool damaged = false;
  explicit operator bool() const { return error == oserr::kSuccess; }
};

// Puts `content` in place of the file `target` as a whole: the target is
// not touched until the new content is whole on the disk.
// - Where the folder takes new files, the content goes to a temporary file
//   of this process's own beside the target, is checked and flushed, and
//   then takes the target's place: moved there, written through, where no
//   target is; swapped in with the target's DACL, owner and attributes
//   (ReplaceFileW, the old file under a backup name of this process's own
//   until the new one is flushed) where one is, so that what the installer
//   granted on the file survives an administrator's run. A failure, a kill
//   or a power cut at any moment leaves the old file or the new one, whole;
//   a run that finds the target missing and a backup beside it puts the
//   backup back first.
// - Where the folder refuses new files (a standard user's Windows directory
//   or program folder), or the target's rights refuse the swap, but the
//   target is there, the target is written in place: opened without
//   emptying it and without letting anyone else write it (another writer is
//   waited for a while, then given up on), written in one go, ended and
//   flushed. That starts only when the volume is known to have room for all
//   of it, so that a full disk, or one that cannot tell, leaves the old
//   content whole. A failure once the writing has begun is reported as
//   damage. A target written in place is never deleted: a standard user
//   could not create it again.
// The temporary file never outlives the call (but for a kill or a power cut),
// and a file or folder of another run (or a stale one) is never touched but
// for a backup that stands where the target is missing.
ReplaceResult ReplaceFileContents(Os& os, const std::string& target, std::string_view content);

// How long an in-place write waits for another writer of the same file.
inline constexpr std::uint32_t kWaitForOtherWriterMs = 3000;

// Reads all of a file into `content`, which it must fill exactly: the file
// is `expectedLength` bytes long, as its length was taken before. A read
// that fails, ends early or goes on past that length gives an error code
// (kReadFault where the platform reported none), and so does a length the
// process cannot hold.
std::uint32_t ReadWholeFile(Os& os, const std::wstring& path, std::uint64_t expectedLength,
                            std::string& content);

}  // namespace pix
