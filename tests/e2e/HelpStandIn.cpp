// Stands in for the help program in the end-to-end cases: it writes the
// folder it was started in to "started.txt" there, and ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(sizeof folder, folder);
  if (std::FILE* file = std::fopen("started.txt", "wb")) {
    std::fputs(folder, file);
    std::fclose(file);
  }
  return 0;
}
