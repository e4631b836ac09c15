// A probe for the installer cases under Wine, one command per run; prints
// its answer on standard output and ends with 0, or with 1 and a reason on
// standard error.
//   set-wallpaper PATH   SPI_SETDESKWALLPAPER with SPIF_UPDATEINIFILE
//   wallpaper            SPI_GETDESKWALLPAPER
//   link-target FILE     the local path a shortcut (.lnk) points at
//   help-window          the help window's title, a line, then its text (UTF-8)
//   close-help           asks the help window to close
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kHelpClass[] = L"Pix_Rn.Hlp_Vw";

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

// The text a window holds, asked of it by message: GetWindowText would give
// another process's control only the caption it was created with.
std::wstring WindowText(HWND window) {
  constexpr UINT kFlags = SMTO_ABORTIFHUNG, kMilliseconds = 10000;
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, kFlags, kMilliseconds, &length))
    throw std::runtime_error("WM_GETTEXTLENGTH got no answer");
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), kFlags,
                             kMilliseconds, &copied))
    throw std::runtime_error("WM_GETTEXT got no answer");
  text.resize(copied);
  return text;
}

HWND HelpWindow() {
  const HWND window = ::FindWindowW(kHelpClass, nullptr);
  if (!window) throw std::runtime_error("no help window");
  return window;
}

// Little-endian numbers, as the format and the machine have them.
std::uint16_t Read16(const std::vector<char>& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) throw std::runtime_error("shortcut too short");
  std::uint16_t value;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

std::uint32_t Read32(const std::vector<char>& bytes, std::size_t at) {
  if (at + 4 > bytes.size()) throw std::runtime_error("shortcut too short");
  std::uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::string ReadCString(const std::vector<char>& bytes, std::size_t at) {
  std::string text;
  while (at < bytes.size() && bytes[at] != '\0')
    text += bytes[at++];
  if (at >= bytes.size()) throw std::runtime_error("shortcut string runs past the end");
  return text;
}

// The shell link format: a 0x4C-byte header, an optional item ID list, then
// the link info, whose local base path and common suffix make the target.
std::string LinkTarget(const char* file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot open ") + file);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (Read32(bytes, 0) != 0x4C) throw std::runtime_error("not a shell link");
  const std::uint32_t flags = Read32(bytes, 0x14);
  std::size_t at = 0x4C;
  if (flags & 0x1) at += 2 + Read16(bytes, at);  // HasLinkTargetIDList: its size, then the list
  if (!(flags & 0x2)) throw std::runtime_error("shortcut without link info");  // HasLinkInfo
  const std::uint32_t infoFlags = Read32(bytes, at + 8);
  if (!(infoFlags & 0x1))
    throw std::runtime_error("shortcut without a local path");  // VolumeIDAndLocalBasePath
  return ReadCString(bytes, at + Read32(bytes, at + 16)) + ReadCString(bytes, at + Read32(bytes, at + 28));
}

int Run(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "set-wallpaper" && argc == 3) {
    if (!::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, argv[2], SPIF_UPDATEINIFILE))
      throw std::runtime_error("SPI_SETDESKWALLPAPER failed, error " + std::to_string(::GetLastError()));
    return 0;
  }
  if (command == "wallpaper" && argc == 2) {
    char path[MAX_PATH + 1] = {};
    if (!::SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0))
      throw std::runtime_error("SPI_GETDESKWALLPAPER failed");
    std::printf("%s\n", path);
    return 0;
  }
  if (command == "link-target" && argc == 3) {
    std::printf("%s\n", LinkTarget(argv[2]).c_str());
    return 0;
  }
  if (command == "help-window" && argc == 2) {
    const HWND window = HelpWindow();
    const HWND text = ::FindWindowExW(window, nullptr, L"EDIT", nullptr);
    if (!text) throw std::runtime_error("the help window has no text view");
    std::printf("%s\n%s\n", Utf8(WindowText(window)).c_str(), Utf8(WindowText(text)).c_str());
    return 0;
  }
  if (command == "close-help" && argc == 2) {
    ::PostMessageW(HelpWindow(), WM_CLOSE, 0, 0);
    return 0;
  }
  throw std::runtime_error(
      "usage: pix_install_probe set-wallpaper PATH | wallpaper | link-target FILE | "
      "help-window | close-help");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& failure) {
    (void)std::fprintf(stderr, "pix_install_probe: %s\n", failure.what());
    return 1;
  }
}
