// The libraries the built Pix_Rn.exe needs before its first line runs, and
// the ones the OS layer loads only when asked.
#include <windows.h>
// windows.h first.
#include <shellapi.h>

#include "platform/win32/NoNameMacros.h"
// Project headers only after the macros are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Os.h"

namespace {

// The import table of an image mapped without running it, built as this
// test is (64-bit headers).
std::vector<std::string> ImportedLibraries(const char* path) {
  const pix::win32::UniqueModule image(::LoadLibraryExA(path, nullptr, DONT_RESOLVE_DLL_REFERENCES));
  if (!image) return {"(not loaded)"};
  const auto* base = reinterpret_cast<const unsigned char*>(image.get());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::string> names;
  for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       directory.VirtualAddress != 0 && entry->Name != 0; ++entry) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ProgramImports, OnlyTheCoreLibrariesAreLoadedAtStart) {
  // shell32 (the help) and mpr (network drives) come when first used.
  EXPECT_EQ(ImportedLibraries(PIX_PROGRAM_PATH),
            (std::vector<std::string>{"gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}));
}

TEST(ProgramImports, TheLateLibrariesAnswerWhenAsked) {
  pix::Win32Os os;
  // Found and called: the shell's own answer for a file that is not there,
  // not the one for a library that could not be loaded.
  EXPECT_EQ(os.ShellExecute(0, "C:\\no such folder\\no such file.txt", "", SW_HIDE),
            static_cast<std::uintptr_t>(SE_ERR_FNF));
  EXPECT_NE(::GetModuleHandleA("shell32.dll"), nullptr);
  // A drive that is not a network connection.
  EXPECT_EQ(os.GetNetworkConnection("C:").error, pix::oserr::kNotConnected);
  EXPECT_NE(::GetModuleHandleA("mpr.dll"), nullptr);
}

}  // namespace
