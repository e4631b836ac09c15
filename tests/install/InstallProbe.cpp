// A probe for the installer cases under Wine, one command per run; prints
// its answer on standard output and ends with 0, or with 1 and a reason on
// standard error.
//   set-wallpaper PATH   SPI_SETDESKWALLPAPER with SPIF_UPDATEINIFILE
//   wallpaper            SPI_GETDESKWALLPAPER
//   link-target FILE     the local path a shortcut (.lnk) points at
//   help-window          the help window's title, a line, then its text (UTF-8)
//   close-help           asks the help window to close
//   message-box          the text of the message box on the screen
//   close-message-box    asks the message box to close
//   sddl SDDL            the security descriptor an SDDL string stands for:
//                        its owner, whether its DACL is protected from
//                        inheritance, then an entry a line:
//                        allow|deny MASK FLAGS SID (FLAGS OI|CI|NP|IO|ID or -)
//   attributes PATH      GetFileAttributesW, in hexadecimal
#include <windows.h>

#include <sddl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kHelpClass[] = L"Pix_Rn.Hlp_Vw";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;

// Memory the security functions hand out with LocalAlloc.
struct LocalFreer {
  void operator()(void* memory) const { ::LocalFree(memory); }
};
template <typename T>
using LocalPointer = std::unique_ptr<T, LocalFreer>;

std::wstring Wide(const char* text) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 0) throw std::runtime_error("not UTF-8");
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), length);
  out.resize(static_cast<std::size_t>(length - 1));
  return out;
}

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

std::string SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(sid, &text)) throw std::runtime_error("unreadable SID");
  const LocalPointer<wchar_t> owned(text);
  return Utf8(owned.get());
}

std::string AceFlagsText(BYTE flags) {
  constexpr struct {
    BYTE flag;
    const char* name;
  } kNames[] = {{OBJECT_INHERIT_ACE, "OI"},
                {CONTAINER_INHERIT_ACE, "CI"},
                {NO_PROPAGATE_INHERIT_ACE, "NP"},
                {INHERIT_ONLY_ACE, "IO"},
                {INHERITED_ACE, "ID"}};
  std::string text;
  for (const auto& [flag, name] : kNames) {
    if (!(flags & flag)) continue;
    if (!text.empty()) text += '|';
    text += name;
  }
  return text.empty() ? "-" : text;
}

// The owner and the DACL that an SDDL string stands for, as Windows reads
// it, in the form the usage above shows.
std::string SddlText(const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(sddl).c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
    throw std::runtime_error("not a security descriptor: " + std::string(sddl));
  const LocalPointer<void> owned(descriptor);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) ||
      !::GetSecurityDescriptorControl(descriptor, &control, &revision))
    throw std::runtime_error("unreadable security descriptor");
  std::string text = "owner " + (owner ? SidText(owner) : std::string("none")) + "\n";
  text += (control & SE_DACL_PROTECTED) ? "protected\n" : "inherits\n";
  if (!present) return text + "no DACL\n";
  // A null DACL grants everyone everything.
  if (!dacl) return text + "null DACL\n";
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!::GetAce(dacl, index, &ace)) throw std::runtime_error("GetAce failed");
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    // Allowed and denied entries share their layout: header, mask, SID.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
      text += "entry of type " + std::to_string(header->AceType) + "\n";
      continue;
    }
    auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    char mask[16];
    (void)std::snprintf(mask, sizeof mask, "0x%08lx", static_cast<unsigned long>(entry->Mask));
    text += std::string(header->AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow " : "deny ") + mask + " " +
            AceFlagsText(header->AceFlags) + " " + SidText(&entry->SidStart) + "\n";
  }
  return text;
}

// A message box of any program: a dialog with the message's static text.
HWND MessageBoxWindow() {
  for (HWND window = ::FindWindowExW(nullptr, nullptr, kDialogClass, nullptr); window;
       window = ::FindWindowExW(nullptr, window, kDialogClass, nullptr)) {
    if (::IsWindowVisible(window) && ::GetDlgItem(window, kMessageBoxTextId)) return window;
  }
  throw std::runtime_error("no message box");
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
  if (command == "message-box" && argc == 2) {
    std::printf("%s\n", Utf8(WindowText(::GetDlgItem(MessageBoxWindow(), kMessageBoxTextId))).c_str());
    return 0;
  }
  if (command == "close-message-box" && argc == 2) {
    ::PostMessageW(MessageBoxWindow(), WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == "sddl" && argc == 3) {
    std::printf("%s", SddlText(argv[2]).c_str());
    return 0;
  }
  if (command == "attributes" && argc == 3) {
    const DWORD attributes = ::GetFileAttributesW(Wide(argv[2]).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
      throw std::runtime_error("GetFileAttributesW failed, error " + std::to_string(::GetLastError()));
    std::printf("0x%08lx\n", static_cast<unsigned long>(attributes));
    return 0;
  }
  throw std::runtime_error(
      "usage: pix_install_probe set-wallpaper PATH | wallpaper | link-target FILE | "
      "help-window | close-help | message-box | close-message-box | sddl SDDL | attributes PATH");
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
