// The window backend on the Win32 API: the hidden application window with
// the taskbar button, the windows of the forms and their components, the
// message loop with the hints, the error box, minimize and restore, the
// timers, the skin's pictures and the mouse pointer.
// The header keeps <windows.h> to itself, for the program's entry.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "components/Application.h"

namespace pix::win32 {

class Win32Backend final : public ApplicationBackend,
                           public TimerService,
                           public PictureSource,
                           public ScreenPointer {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // ApplicationBackend
  TimerService& Timers() override { return *this; }
  PictureSource& Pictures() override { return *this; }
  ScreenPointer& Pointer() override { return *this; }
  void CreateApplicationWindow(TApplication& application) override;
  void CreateFormWindows(TForm& form) override;
  int StartupShowCommand() override;
  void RunMessageLoop(TApplication& application, int showCommand) override;
  void ShowErrorBox(const std::string& caption, const std::string& text) override;
  void Minimize() override;
  [[noreturn]] void EndProcess(int exitCode) override;

  // TimerService
  bool StartTimer(TTimer& timer, unsigned intervalMs) override;
  void StopTimer(TTimer& timer) override;

  // PictureSource: the skin's pictures, from the program's packed resources
  // at the design's scale and drawn at the others (components/SkinPictures.h).
  std::shared_ptr<const TPicture> Load(const std::string& name) override;

  // ScreenPointer
  PointerShape Shape() const override;
  void SetShape(PointerShape shape) override;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The runtime's box for an exception that escaped the program's main block
// (task-modal, caption "Application Error"); the program then ends with 1.
[[noreturn]] void ShowUnhandledExceptionAndExit(const std::exception* error);

// The text of that box.
std::string UnhandledExceptionText(const std::string& className, const std::string& moduleName,
                                   std::uintptr_t address, const std::string& message);

}  // namespace pix::win32
