// <windows.h> maps many function names to their A or W form with macros,
// which would rename the seam's methods of the same names. Files that see
// both include this right after <windows.h> (and its companions), before any
// project header, and call the A functions by name.
#pragma once

#undef DeleteFile
#undef GetCurrentDirectory
#undef GetDriveType
#undef GetFileAttributes
#undef GetVolumeInformation
#undef GetWindowsDirectory
#undef SetCurrentDirectory
#undef ShellExecute
