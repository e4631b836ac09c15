// What both baseline programs do with the picture folder: list its "*.jpg"
// files the way the picture list does (no hidden, system or folder entries)
// and copy one picture over Pix_Rn.jpg in the Windows directory. The plain
// Win32 calls, with nothing of the program's own code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pix::bench {

inline std::vector<std::string> ListPictures(const std::string& folder) {
  std::vector<std::string> pictures;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + "\\*.jpg").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return pictures;
  do {
    if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      pictures.emplace_back(data.cFileName);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return pictures;
}

// Gives 0 when the copy succeeded, 2 when it failed.
inline int CopyOverInstalledPicture(const std::string& source) {
  char windows[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryA(windows, sizeof windows);
  const std::string target = std::string(windows) + "\\Pix_Rn.jpg";
  return ::CopyFileA(source.c_str(), target.c_str(), FALSE) ? 0 : 2;
}

}  // namespace pix::bench
