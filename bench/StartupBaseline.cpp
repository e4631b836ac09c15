// The least a run of the program must do: list the picture folder and copy
// one picture over Pix_Rn.jpg. The start-up benchmark times Pix_Rn.exe
// beside it. Takes the folder as its only argument.
#include <windows.h>

#include <string>
#include <vector>

// The parameter keeps the name and type winbase.h declares it with.
// NOLINTNEXTLINE(readability-non-const-parameter)
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
  const std::string folder = lpCmdLine;
  std::vector<std::string> pictures;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + "\\*.jpg").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        pictures.emplace_back(data.cFileName);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  if (pictures.empty()) return 1;
  char windows[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryA(windows, sizeof windows);
  const std::string target = std::string(windows) + "\\Pix_Rn.jpg";
  return ::CopyFileA((folder + "\\" + pictures.front()).c_str(), target.c_str(), FALSE) ? 0 : 2;
}
