// Holds a file open as another program would, for the fault cases: opens
// the file named by the first argument, sharing reading when the second
// argument is "read" and nothing otherwise, writes "held" into the folder
// named by the third argument (or beside the file) once it holds it, and
// keeps it until the file "release" appears there (the file's own folder
// may take no new file).
#include <windows.h>
// windows.h first.
#include <shellapi.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!arguments || count < 3) return 2;
  const std::wstring path = arguments[1];
  const DWORD share = std::wstring(arguments[2]) == L"read" ? FILE_SHARE_READ : 0;
  const std::wstring folder =
      count > 3 ? std::wstring(arguments[3]) + L"\\" : path.substr(0, path.find_last_of(L'\\') + 1);
  ::LocalFree(arguments);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  HANDLE held =
      ::CreateFileW((folder + L"held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
  // Bounded: a holder never outlives its case by more than two minutes.
  for (int waited = 0; waited < 1200; ++waited) {
    if (::GetFileAttributesW((folder + L"release").c_str()) != INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(100);
  }
  ::CloseHandle(file);
  return 0;
}
