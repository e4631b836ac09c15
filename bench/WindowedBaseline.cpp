// The least a windowed run of the program must do: create and show a
// 276 x 196 popup, wait for one step of a 1 ms timer, list the picture
// folder's "*.jpg" files (no hidden, system or folder entries), sort the
// names ignoring case in the user's locale, copy one picture over Pix_Rn.jpg
// and end the process. The start-up benchmark times Pix_Rn.exe beside it.
// Takes the folder as its only argument.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bench/BaselinePictures.h"

namespace {

std::string g_folder;

// The locale's case-blind sort key: one locale call per name, then plain
// byte comparisons, which is the quickest locale-aware sort there is.
std::string SortKey(const std::string& name) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  char key[512];
  const int written = ::LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.data(), static_cast<int>(name.size()),
                                     key, sizeof key);
  return written > 0 ? std::string(key, static_cast<std::size_t>(written)) : std::string();
}

void ListSortAndCopy() {
  std::vector<std::string> names = pix::bench::ListPictures(g_folder);
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    keys.emplace_back(SortKey(names[i]), i);
  std::sort(keys.begin(), keys.end());
  const int result =
      keys.empty() ? 1 : pix::bench::CopyOverInstalledPicture(g_folder + "\\" + names[keys.front().second]);
  ::ExitProcess(static_cast<UINT>(result));
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    ::KillTimer(window, 1);
    ListSortAndCopy();
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// The parameter keeps the name and type winbase.h declares it with.
// NOLINTNEXTLINE(readability-non-const-parameter)
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nShowCmd) {
  g_folder = lpCmdLine;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = hInstance;
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = "PixWindowedBaseline";
  if (!::RegisterClassA(&windowClass)) return 3;
  HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "Baseline", WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 276, 196, nullptr, nullptr, hInstance, nullptr);
  if (!window) return 3;
  ::ShowWindow(window, nShowCmd);
  ::UpdateWindow(window);
  ::SetTimer(window, 1, 1, nullptr);
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
