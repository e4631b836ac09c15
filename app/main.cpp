// The program entry: the application with its one window, the message loop
// and the halt. What escapes all of it ends in the runtime's box, with 1.
#include <exception>

#include "app/MainWindow.h"
#include "backend/Win32Backend.h"
#include "components/Application.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Os.h"

int main() {
  // Before anything can load a library by name.
  pix::win32::RestrictDllSearchToSystemFolder();
  try {
    pix::Win32Os os;
    pix::win32::Win32Backend backend;
    pix::TApplication application(os, backend);
    application.Initialize();
    application.CreateForm<pix::MainWindow>();
    application.Run();
    application.Halt(0);
  } catch (const std::exception& error) {
    pix::win32::ShowUnhandledExceptionAndExit(&error);
  } catch (...) {
    pix::win32::ShowUnhandledExceptionAndExit(nullptr);
  }
}
