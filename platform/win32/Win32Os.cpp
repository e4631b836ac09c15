#include <windows.h>
// windows.h first: these need its types.
#include <shellapi.h>
#include <winnetwk.h>

#include "platform/win32/NoNameMacros.h"

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Os.h"

namespace pix {
namespace {

class Win32File final : public OsFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}

  std::uint32_t Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = 0;
    if (!handle_.valid()) return oserr::kInvalidHandle;
    DWORD read = 0;
    const DWORD ask = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
    if (!::ReadFile(handle_.get(), buffer, ask, &read, nullptr)) return ::GetLastError();
    got = read;
    return oserr::kSuccess;
  }

  std::uint32_t Write(const char* data, std::size_t size) override {
    if (!handle_.valid()) return oserr::kInvalidHandle;
    while (size > 0) {
      const DWORD ask = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!::WriteFile(handle_.get(), data, ask, &written, nullptr)) return ::GetLastError();
      if (written == 0) return oserr::kDiskFull;
      data += written;
      size -= written;
    }
    return oserr::kSuccess;
  }

  std::uint32_t SetEnd() override {
    if (!handle_.valid()) return oserr::kInvalidHandle;
    return ::SetEndOfFile(handle_.get()) ? oserr::kSuccess : ::GetLastError();
  }

  std::uint32_t Flush() override {
    if (!handle_.valid()) return oserr::kInvalidHandle;
    return ::FlushFileBuffers(handle_.get()) ? oserr::kSuccess : ::GetLastError();
  }

  std::uint32_t Close() override { return handle_.Close(); }

 private:
  win32::UniqueHandle handle_;
};

// A buffer of MAX_PATH + 1 characters is what the ANSI calls can fill.
constexpr DWORD kPathBuffer = MAX_PATH + 1;

}  // namespace

std::string Win32Os::ModuleFileName() {
  // The ANSI call cuts long paths silently, so grow the buffer until it fits.
  std::string buffer(kPathBuffer, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

OsResult<std::unique_ptr<OsFile>> Win32Os::OpenFile(const std::string& path, OpenMode mode) {
  DWORD access = GENERIC_WRITE;
  DWORD disposition = CREATE_ALWAYS;
  switch (mode) {
    case OpenMode::Read:
      access = GENERIC_READ;
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::CreateWrite:
      break;
    case OpenMode::WriteExisting:
      disposition = OPEN_EXISTING;
      break;
    case OpenMode::CreateNew:
      disposition = CREATE_NEW;
      break;
  }
  HANDLE handle = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {nullptr, ::GetLastError()};
  return {std::make_unique<Win32File>(handle), oserr::kSuccess};
}

std::string Win32Os::GetCurrentDirectory() {
  const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return {};
  std::string buffer(needed, '\0');
  const DWORD length = ::GetCurrentDirectoryA(needed, buffer.data());
  buffer.resize(length < needed ? length : 0);
  return buffer;
}

std::uint32_t Win32Os::SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) ? oserr::kSuccess : ::GetLastError();
}

namespace {

// Hands every entry a search finds to `take`, in the platform's order, and
// gives the error of the first call, or of a later one that ends the search
// early.
template <class FindData, class First, class Next, class Take>
std::uint32_t EnumerateEach(First first, Next next, Take take) {
  FindData data{};
  const win32::UniqueFind find(first(data));
  if (!find) return ::GetLastError();
  do {
    take(data);
  } while (next(find.get(), data));
  const DWORD last = ::GetLastError();
  return last == ERROR_NO_MORE_FILES ? oserr::kSuccess : last;
}

}  // namespace

OsResult<std::vector<DirEntry>> Win32Os::FindFiles(const std::string& pattern) {
  OsResult<std::vector<DirEntry>> result;
  result.error = EnumerateEach<WIN32_FIND_DATAA>(
      [&](WIN32_FIND_DATAA& data) { return ::FindFirstFileA(pattern.c_str(), &data); },
      [](HANDLE find, WIN32_FIND_DATAA& data) { return ::FindNextFileA(find, &data); },
      [&](const WIN32_FIND_DATAA& data) {
        result.value.push_back({data.cFileName, data.dwFileAttributes});
      });
  return result;
}

std::uint32_t Win32Os::VisitFilesWide(const std::wstring& pattern, const EntryVisitor& visit) {
  return EnumerateEach<WIN32_FIND_DATAW>(
      [&](WIN32_FIND_DATAW& data) { return ::FindFirstFileW(pattern.c_str(), &data); },
      [](HANDLE find, WIN32_FIND_DATAW& data) { return ::FindNextFileW(find, &data); },
      [&](const WIN32_FIND_DATAW& data) {
        visit({data.cFileName, data.cAlternateFileName, data.dwFileAttributes});
      });
}

OsResult<std::uint32_t> Win32Os::GetFileAttributesWide(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {0, ::GetLastError()};
  return {attributes, oserr::kSuccess};
}

OsResult<std::uint32_t> Win32Os::GetFileAttributes(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {0, ::GetLastError()};
  return {attributes, oserr::kSuccess};
}

std::uint32_t Win32Os::GetLogicalDrives() {
  return ::GetLogicalDrives();
}

DriveType Win32Os::GetDriveType(const std::string& root) {
  return static_cast<DriveType>(::GetDriveTypeA(root.c_str()));
}

OsResult<VolumeInfo> Win32Os::GetVolumeInformation(const std::string& root) {
  char label[MAX_PATH + 1] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!::GetVolumeInformationA(root.c_str(), label, sizeof label, &serial, &maxComponent, &flags, nullptr, 0))
    return {{}, ::GetLastError()};
  return {{label, flags}, oserr::kSuccess};
}

namespace {

// A system library loaded when first needed. Most runs need neither mpr
// nor shell32, and shell32 brings a dozen libraries in with it: a cost in
// time and memory that every unattended start would pay. Loaded by its full
// path in the system folder, never from wherever the search path leads.
class LateLibrary {
 public:
  explicit LateLibrary(const char* fileName) {
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    module_.reset(::LoadLibraryA((std::string(folder, length) + "\\" + fileName).c_str()));
  }
  // The function, or nullptr where the library or the function is missing.
  template <class Function>
  Function* Find(const char* name) const {
    if (!module_) return nullptr;
    // GetProcAddress gives every function under one type.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

 private:
  win32::UniqueModule module_;
};

// One load per library and process; the library stays until the end.
const LateLibrary& Mpr() {
  static const LateLibrary library("mpr.dll");
  return library;
}
const LateLibrary& Shell32() {
  static const LateLibrary library("shell32.dll");
  return library;
}

}  // namespace

OsResult<std::string> Win32Os::GetNetworkConnection(const std::string& localName) {
  char remote[MAX_PATH + 1] = {};
  DWORD size = sizeof remote;
  const auto getConnection = Mpr().Find<decltype(::WNetGetConnectionA)>("WNetGetConnectionA");
  if (!getConnection) return {{}, oserr::kNoNetwork};
  const DWORD status = getConnection(localName.c_str(), remote, &size);
  if (status != NO_ERROR) return {{}, status};
  return {remote, oserr::kSuccess};
}

std::uint32_t Win32Os::SetErrorMode(std::uint32_t mode) {
  return ::SetErrorMode(mode);
}

namespace {
int CompareWith(DWORD flags, const std::string& a, const std::string& b) {
  const int result = ::CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()),
                                      b.data(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

std::string MapCase(const std::string& text, DWORD (*convert)(LPSTR, DWORD)) {
  std::string result = text;
  if (!result.empty()) convert(result.data(), static_cast<DWORD>(result.size()));
  return result;
}
}  // namespace

int Win32Os::CompareTextIgnoreCase(const std::string& a, const std::string& b) {
  return CompareWith(NORM_IGNORECASE, a, b);
}

int Win32Os::CompareTextCaseSensitive(const std::string& a, const std::string& b) {
  return CompareWith(0, a, b);
}

namespace {

constexpr DWORD kSortKeyFlags = LCMAP_SORTKEY | NORM_IGNORECASE;

// Appends the key a sort-key call writes, where `map(out, room)` makes the
// call with a buffer of `room` bytes (a key is bytes, whatever the call's
// buffer type). One call for the usual short name, a second only when the
// key is long; the zero byte that ends the key plays no part in the order.
template <class Map>
void AppendSortKey(std::string& keys, Map map) {
  const std::size_t start = keys.size();
  constexpr int kUsualRoom = 512;
  keys.resize(start + kUsualRoom);
  int written = map(keys.data() + start, kUsualRoom);
  if (written <= 0) {
    const int needed = map(nullptr, 0);
    keys.resize(start + static_cast<std::size_t>(needed > 0 ? needed : 0));
    written = needed > 0 ? map(keys.data() + start, needed) : 0;
  }
  keys.resize(start + static_cast<std::size_t>(written > 0 ? written : 0));
  if (keys.size() > start && keys.back() == '\0') keys.pop_back();
}

}  // namespace

std::string Win32Os::SortKeyIgnoreCase(const std::string& text) {
  std::string key;
  AppendSortKey(key, [&](char* out, int room) {
    return ::LCMapStringA(LOCALE_USER_DEFAULT, kSortKeyFlags, text.data(), static_cast<int>(text.size()), out,
                          room);
  });
  return key;
}

void Win32Os::AppendSortKeyIgnoreCaseWide(std::wstring_view text, std::string& keys) {
  AppendSortKey(keys, [&](char* out, int room) {
    return ::LCMapStringW(LOCALE_USER_DEFAULT, kSortKeyFlags, text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<LPWSTR>(out), room);
  });
}

std::wstring Win32Os::AnsiToWide(const std::string& text) {
  return win32::WideFromCodePage(CP_ACP, text);
}

std::optional<std::string> Win32Os::WideToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  const int length =
      ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, ansi.data(), length, nullptr,
                        &lossy);
  // What comes back must be the same text: no character stood in for another.
  if (lossy || AnsiToWide(ansi) != text) return std::nullopt;
  return ansi;
}

std::string Win32Os::LowerCase(const std::string& text) {
  return MapCase(text, [](LPSTR s, DWORD n) { return ::CharLowerBuffA(s, n); });
}

std::string Win32Os::UpperCase(const std::string& text) {
  return MapCase(text, [](LPSTR s, DWORD n) { return ::CharUpperBuffA(s, n); });
}

LocalTime Win32Os::GetLocalTime() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::optional<std::int64_t> Win32Os::QueryPerformanceCounter() {
  LARGE_INTEGER count{};
  if (!::QueryPerformanceCounter(&count)) return std::nullopt;
  return count.QuadPart;
}

std::uint32_t Win32Os::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) ? oserr::kSuccess : ::GetLastError();
}

std::uint32_t Win32Os::CurrentProcessId() {
  return ::GetCurrentProcessId();
}

std::uint32_t Win32Os::GetTickCount() {
  return ::GetTickCount();
}

std::string Win32Os::GetWindowsDirectory() {
  // The installation keeps its paths in buffers of 255 bytes; a directory
  // that does not fit would be cut, so it counts as a failure.
  char buffer[255] = {};
  const UINT length = ::GetWindowsDirectoryA(buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  return std::string(buffer, length);
}

std::uint32_t Win32Os::DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) ? oserr::kSuccess : ::GetLastError();
}

OsResult<std::uint64_t> Win32Os::GetFileSizeWide(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {0, ::GetLastError()};
  return {(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, oserr::kSuccess};
}

OsResult<DiskSpace> Win32Os::GetDiskFreeSpace(const std::string& folder) {
  const char* const where = folder.empty() ? nullptr : folder.c_str();
  ULARGE_INTEGER available{}, total{}, free{};
  if (!::GetDiskFreeSpaceExA(where, &available, &total, &free)) return {{}, ::GetLastError()};
  DiskSpace space{available.QuadPart, 0};
  // The cluster size is only known for the volume's root.
  char root[MAX_PATH + 1] = {};
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (where && ::GetVolumePathNameA(where, root, sizeof root) &&
      ::GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    space.clusterBytes = sectorsPerCluster * bytesPerSector;
  return {space, oserr::kSuccess};
}

OsResult<std::unique_ptr<OsFile>> Win32Os::OpenFileForReadingWide(const std::wstring& path) {
  HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {nullptr, ::GetLastError()};
  return {std::make_unique<Win32File>(handle), oserr::kSuccess};
}

std::uint32_t Win32Os::MoveToFreeName(const std::wstring& from, const std::wstring& to, bool writeThrough) {
  return ::MoveFileExW(from.c_str(), to.c_str(), writeThrough ? MOVEFILE_WRITE_THROUGH : 0)
             ? oserr::kSuccess
             : ::GetLastError();
}

std::uint32_t Win32Os::ReplaceKeepingRights(const std::wstring& replaced, const std::wstring& replacement,
                                            const std::wstring& backup) {
  // No REPLACEFILE_IGNORE_*: a DACL or a stream that cannot be carried over
  // must fail the call, not pass for a success.
  return ::ReplaceFileW(replaced.c_str(), replacement.c_str(), backup.c_str(), 0, nullptr, nullptr)
             ? oserr::kSuccess
             : ::GetLastError();
}

void Win32Os::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::string Win32Os::GetDesktopWallpaper() {
  char path[MAX_PATH + 1] = {};
  if (!::SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0)) return {};
  return path;
}

std::uint32_t Win32Os::SetDesktopWallpaper(const std::string& path) {
  std::string buffer = path;
  return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(), SPIF_SENDCHANGE) ? oserr::kSuccess
                                                                                          : ::GetLastError();
}

std::uintptr_t Win32Os::ShellExecute(std::uintptr_t owner, const std::string& file,
                                     const std::string& directory, int showCommand) {
  const auto shellExecute = Shell32().Find<decltype(::ShellExecuteA)>("ShellExecuteA");
  if (!shellExecute) return SE_ERR_DLLNOTFOUND;
  // The seam hands the owner window over as an integer, having no HWND.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  HINSTANCE instance = shellExecute(reinterpret_cast<HWND>(owner), nullptr, file.c_str(), nullptr,
                                    directory.empty() ? nullptr : directory.c_str(), showCommand);
  return reinterpret_cast<std::uintptr_t>(instance);
}

}  // namespace pix
