// What the GUI cases need from inside Wine: starting the program with a show
// command (as a shortcut set to run minimized does), the taskbar's commands
// to its application window, and a look at its windows' state and focus.
//
//   pix_gui_driver run PROGRAM SHOW        starts PROGRAM in its folder with
//                                          the show command SHOW, waits for
//                                          it and ends with its exit code
//   pix_gui_driver state PROGRAM           prints one line about the running
//                                          PROGRAM's windows (exit code 1 if
//                                          it has none)
//   pix_gui_driver taskbar PROGRAM COMMAND sends the taskbar's close,
//                                          minimize or restore
#include <windows.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ProcessImage(DWORD processId) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return {};
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const BOOL got = ::QueryFullProcessImageNameA(process, 0, path, &size);
  ::CloseHandle(process);
  return got ? std::string(path, size) : std::string();
}

// The top-level window of a class that belongs to a process of PROGRAM.
struct Search {
  const char* className;
  std::string program;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  // EnumWindows hands the search back as its integer parameter.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  auto& search = *reinterpret_cast<Search*>(data);
  char className[64] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (std::string(className) != search.className) return TRUE;
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  if (Lower(ProcessImage(processId)) != search.program) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindProgramWindow(const char* className, const std::string& program) {
  Search search{className, Lower(program)};
  ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  DWORD_PTR length = 0;
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &length);
  return text;
}

int Run(const std::string& program, int show) {
  const std::string folder = program.substr(0, program.find_last_of('\\'));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + program + "\"";
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
    (void)std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), ::GetLastError());
    return 100;
  }
  ::CloseHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 100;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

int State(const std::string& program) {
  const HWND application = FindProgramWindow("PixApplication", program);
  const HWND main = FindProgramWindow("PixForm", program);
  if (!application || !main) {
    std::puts("none");
    return 1;
  }
  RECT place{};
  ::GetWindowRect(main, &place);
  std::string focus = "none";
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &thread) && thread.hwndFocus) {
    char className[64] = {};
    ::GetClassNameA(thread.hwndFocus, className, sizeof className);
    focus = std::string(className) + ":" + TextOf(thread.hwndFocus);
  }
  std::printf("application=%s main=%s place=%ld,%ld,%ld,%ld focus=%s\n",
              ::IsIconic(application)          ? "iconic"
              : ::IsWindowVisible(application) ? "shown"
                                               : "hidden",
              !::IsWindowVisible(main) ? "hidden"
              : ::IsZoomed(main)       ? "maximized"
                                       : "shown",
              place.left, place.top, place.right - place.left, place.bottom - place.top, focus.c_str());
  return 0;
}

int Taskbar(const std::string& program, const std::string& command) {
  const HWND application = FindProgramWindow("PixApplication", program);
  if (!application) return 1;
  WPARAM code = 0;
  if (command == "close")
    code = SC_CLOSE;
  else if (command == "minimize")
    code = SC_MINIMIZE;
  else if (command == "restore")
    code = SC_RESTORE;
  else
    return 2;
  return ::PostMessageA(application, WM_SYSCOMMAND, code, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "run" && argc == 4) {
    const std::string_view show = argv[3];
    int showCommand = 0;
    const auto [end, error] = std::from_chars(show.data(), show.data() + show.size(), showCommand);
    if (error == std::errc() && end == show.data() + show.size()) return Run(argv[2], showCommand);
  }
  if (command == "state" && argc == 3) return State(argv[2]);
  if (command == "taskbar" && argc == 4) return Taskbar(argv[2], argv[3]);
  (void)std::fprintf(stderr,
                     "usage: pix_gui_driver run PROGRAM SHOW | state PROGRAM | taskbar PROGRAM COMMAND\n");
  return 2;
}
