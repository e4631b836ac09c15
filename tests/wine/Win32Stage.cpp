// The contract stage on the real layer: a scratch folder on drive C: of the
// test prefix, laid out with the Win32 calls themselves.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <stdexcept>
#include <string>

#include "contract/Stage.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Os.h"

namespace pix::test {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " failed for " + path + " (error " + std::to_string(::GetLastError()) +
                           ")");
}

std::wstring Wide(const std::string& text) {
  return win32::WideFromCodePage(CP_ACP, text);
}

// Removes a tree, clearing the attributes that would stop the removal; the
// wide calls reach every name, also those the ANSI code page cannot spell.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  if (const win32::UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &data)); find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        ::DeleteFileW(child.c_str());
    } while (::FindNextFileW(find.get(), &data));
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
}

class Win32Stage final : public Stage {
 public:
  Win32Stage() {
    char saved[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryA(sizeof saved, saved);
    savedDirectory_ = saved;
    static int counter = 0;
    ::CreateDirectoryA("C:\\pixtest", nullptr);
    root_ = "C:\\pixtest\\case" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
    RemoveTree(Wide(root_));
    if (!::CreateDirectoryA(root_.c_str(), nullptr)) Fail("CreateDirectory", root_);
  }

  ~Win32Stage() override {
    // Leave the folder before removing it: a process's current directory
    // cannot be removed.
    ::SetCurrentDirectoryA(savedDirectory_.c_str());
    RemoveTree(Wide(root_));
  }

  Os& os() override { return os_; }
  const std::string& Root() const override { return root_; }
  bool IsMemoryMachine() const override { return false; }

  bool HonoursReadOnly() override {
    static const bool honours = [this] {
      const std::string guarded = root_ + "\\read-only probe", other = root_ + "\\probe";
      MakeFile(guarded, "kept", FILE_ATTRIBUTE_READONLY);
      MakeFile(other, "new", 0);
      const bool opened = win32::UniqueHandle(::CreateFileA(guarded.c_str(), GENERIC_WRITE, 0, nullptr,
                                                            OPEN_EXISTING, 0, nullptr))
                              .valid();
      const bool replaced = ::MoveFileExA(other.c_str(), guarded.c_str(), MOVEFILE_REPLACE_EXISTING);
      ::SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(guarded.c_str());
      ::DeleteFileA(other.c_str());
      return !opened && !replaced;
    }();
    return honours;
  }

  void MakeDir(const std::string& path, std::uint32_t attributes) override {
    if (!::CreateDirectoryA(path.c_str(), nullptr)) Fail("CreateDirectory", path);
    if (attributes && !::SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY))
      Fail("SetFileAttributes", path);
  }

  void MakeFile(const std::string& path, const std::string& contents, std::uint32_t attributes) override {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("CreateFile", path);
    DWORD written = 0;
    const BOOL ok = contents.empty() || ::WriteFile(file.get(), contents.data(),
                                                    static_cast<DWORD>(contents.size()), &written, nullptr);
    file.Close();
    if (!ok || written != contents.size()) Fail("WriteFile", path);
    if (attributes && !::SetFileAttributesA(path.c_str(), attributes)) Fail("SetFileAttributes", path);
  }

  void MakeFileWide(const std::wstring& path, const std::string& contents) override {
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("CreateFileW", "a wide name");
    DWORD written = 0;
    const BOOL ok = contents.empty() || ::WriteFile(file.get(), contents.data(),
                                                    static_cast<DWORD>(contents.size()), &written, nullptr);
    file.Close();
    if (!ok || written != contents.size()) Fail("WriteFile", "a wide name");
  }

  std::string ReadFile(const std::string& path) override {
    const win32::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot read " + path);
    std::string contents;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
      contents.append(buffer, got);
    return contents;
  }

  void Remove(const std::string& path) override {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileA(path.c_str()) && !::RemoveDirectoryA(path.c_str())) Fail("Remove", path);
  }

  std::shared_ptr<void> HoldOpen(const std::string& path) override {
    HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("HoldOpen", path);
    return std::shared_ptr<void>(file, [](void* handle) { ::CloseHandle(static_cast<HANDLE>(handle)); });
  }

 private:
  Win32Os os_;
  std::string root_;
  std::string savedDirectory_;
};

}  // namespace

std::unique_ptr<Stage> MakeStage() {
  return std::make_unique<Win32Stage>();
}

}  // namespace pix::test
