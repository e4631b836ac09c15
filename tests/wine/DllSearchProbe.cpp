// A probe for the library search tests, in a process of its own since the
// narrowing lasts for the process:
//   pix_dll_search_probe MODE [NAME | @late]...
// MODE is "as-is" (the search Windows starts with), "restrict" (as the
// programs start) or "restrict-without-update" (what they do where kernel32
// lacks SetDefaultDllDirectories). It prints "search: HOW", then for each
// NAME the outcome of LoadLibrary on that bare name, "NAME: PATH" or
// "NAME: not loaded (error N)", and for @late what the OS layer's late
// libraries answer. Ends with 0; with 2 for a command line it does not know.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <cstdio>
#include <string>

#include "platform/win32/DllSearch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Os.h"

namespace {

using pix::win32::DllSearch;

const char* Described(DllSearch search) {
  switch (search) {
    case DllSearch::kSystemFolderOnly:
      return "system folder only";
    case DllSearch::kCurrentDirectoryRemoved:
      return "current directory removed";
    case DllSearch::kUnchanged:
      return "unchanged";
  }
  return "?";
}

// Let go at once, so that no later load binds to a planted copy.
void ReportLoad(const char* name) {
  const pix::win32::UniqueModule module(::LoadLibraryA(name));
  if (!module) {
    std::printf("%s: not loaded (error %lu)\n", name, ::GetLastError());
    return;
  }
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(module.get(), path, MAX_PATH);
  std::printf("%s: %s\n", name, path);
}

// What the help button and the network drives go through.
void ReportLateLibraries() {
  pix::Win32Os os;
  std::printf("ShellExecute: %lu\n", static_cast<unsigned long>(os.ShellExecute(
                                         0, "C:\\no such folder\\no such file.txt", "", SW_HIDE)));
  std::printf("WNetGetConnection: %lu\n", static_cast<unsigned long>(os.GetNetworkConnection("C:").error));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  DllSearch search = DllSearch::kUnchanged;
  if (mode == "restrict")
    search = pix::win32::RestrictDllSearchToSystemFolder();
  else if (mode == "restrict-without-update")
    search = pix::win32::RemoveCurrentDirectoryFromDllSearch();
  else if (mode != "as-is")
    return 2;
  std::printf("search: %s\n", Described(search));
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "@late")
      ReportLateLibraries();
    else
      ReportLoad(argv[i]);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
