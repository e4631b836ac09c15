// The least a run of the program must do without a window: list the picture
// folder and copy one picture over Pix_Rn.jpg. The start-up benchmark times
// Pix_Rn.exe beside it. Takes the folder as its only argument.
#include <windows.h>

#include <string>

#include "bench/BaselinePictures.h"

// The parameter keeps the name and type winbase.h declares it with.
// NOLINTNEXTLINE(readability-non-const-parameter)
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
  const std::string folder = lpCmdLine;
  const auto pictures = pix::bench::ListPictures(folder);
  if (pictures.empty()) return 1;
  return pix::bench::CopyOverInstalledPicture(folder + "\\" + pictures.front());
}
