// The program entry: the application with its one window, the message loop
// and the halt. What escapes all of it ends in the runtime's box, with 1.
#include <exception>

#include "platform/win32/Win32Os.h"
#include "shell/components/Application.h"
#include "shell/pix_rn1.h"
#include "shell/win32/Win32Backend.h"

int main() {
  try {
    pix::Win32Os os;
    pix::win32::Win32Backend backend;
    pix::TApplication application(os, backend);
    application.Initialize();
    application.CreateForm<pix::TForm1>();
    application.Run();
    application.Halt(0);
  } catch (const std::exception& error) {
    pix::win32::ShowUnhandledExceptionAndExit(&error);
  } catch (...) {
    pix::win32::ShowUnhandledExceptionAndExit(nullptr);
  }
}
