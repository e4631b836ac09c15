#include <windows.h>

#include "platform/win32/DllSearch.h"

namespace pix::win32 {

DllSearch RestrictDllSearchToSystemFolder() noexcept {
  // Looked up, not imported: without the update the import alone would keep
  // the program from starting.
  using SetDefaultDllDirectoriesCall = decltype(::SetDefaultDllDirectories);
  if (const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll")) {
    // GetProcAddress gives every function under one type.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
    auto* const setDefault = reinterpret_cast<SetDefaultDllDirectoriesCall*>(
        reinterpret_cast<void*>(::GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return DllSearch::kSystemFolderOnly;
  }
  return RemoveCurrentDirectoryFromDllSearch();
}

DllSearch RemoveCurrentDirectoryFromDllSearch() noexcept {
  // Imported: every Windows since XP SP1 has it. An empty folder takes the
  // current directory out of the usual order.
  return ::SetDllDirectoryW(L"") ? DllSearch::kCurrentDirectoryRemoved : DllSearch::kUnchanged;
}

}  // namespace pix::win32
