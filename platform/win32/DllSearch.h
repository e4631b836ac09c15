// Where the programs look for a library named without a folder. By default
// Windows looks in the program's folder and in the current directory (the
// picture folder, which any user may be able to write) before the system
// folder, and the shell and the late-loaded libraries load more libraries
// by name. Both programs narrow the search first thing. Free of
// <windows.h>, so that the program's entry need not see its macros.
#pragma once

namespace pix::win32 {

// How far a call narrowed the search.
enum class DllSearch {
  kSystemFolderOnly,         // the system folder alone
  kCurrentDirectoryRemoved,  // the usual order, without the current directory
  kUnchanged,                // the system refused both
};

// Restricts the search of the calling process to the system folder, with
// SetDefaultDllDirectories where kernel32 has it (Windows 8 on; 7 and Vista
// with their update); where it does not, takes the current directory out of
// the search. A full path still loads what it names. For the rest of the
// process: the search cannot be widened again.
DllSearch RestrictDllSearchToSystemFolder() noexcept;

// The fallback alone: the current directory out of the search, the
// program's folder still in it. What the call above does where kernel32
// lacks SetDefaultDllDirectories.
DllSearch RemoveCurrentDirectoryFromDllSearch() noexcept;

}  // namespace pix::win32
