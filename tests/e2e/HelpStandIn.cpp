// Stands in for the help program in the end-to-end cases: it writes the
// folder it was started in to "started.txt" there, and ends; with 1 when it
// could not.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(sizeof folder, folder);
  std::FILE* file = std::fopen("started.txt", "wb");
  if (!file) return 1;
  const bool written = std::fputs(folder, file) >= 0;
  const bool closed = std::fclose(file) == 0;
  return written && closed ? 0 : 1;
}
