// The application object: the program's title, its main window, the message
// loop, the error box, minimize and the halt. What needs the platform goes
// through ApplicationBackend: the Win32 backend on Windows, a headless one
// in host tests.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/Form.h"
#include "components/Picture.h"
#include "components/ScreenPointer.h"
#include "components/Timer.h"
#include "platform/Os.h"

namespace pix {

// The show commands the program tells apart (SW_*).
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinNoActive = 7;
inline constexpr int kShowDefault = 10;

class TApplication;

class ApplicationBackend {
 public:
  virtual ~ApplicationBackend() = default;
  virtual TimerService& Timers() = 0;
  virtual PictureSource& Pictures() = 0;
  // The application-wide mouse pointer.
  virtual ScreenPointer& Pointer() = 0;
  // The hidden application window, with the title and the icon.
  virtual void CreateApplicationWindow(TApplication& application) = 0;
  // Makes the windows of a form and its components.
  virtual void CreateFormWindows(TForm& form) = 0;
  // The show state that the starter asked for, or kShowDefault.
  virtual int StartupShowCommand() = 0;
  // Shows the main window as the show command says (centred at its first
  // show), then dispatches messages until the application is terminated.
  virtual void RunMessageLoop(TApplication& application, int showCommand) = 0;
  // The modal error box: one OK button, the error icon, owned by the
  // application window; dispatching goes on while it is open.
  virtual void ShowErrorBox(const std::string& caption, const std::string& text) = 0;
  virtual void Minimize() = 0;
  // Destroys the windows and ends the process at once.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

class TApplication {
 public:
  TApplication(Os& os, ApplicationBackend& backend);
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  Os& os() const { return os_; }
  ApplicationBackend& Backend() const { return backend_; }

  // The program file's name without folder and extension, every character
  // after the first in lower case: Pix_Rn.exe gives "Pix_rn".
  const std::string& Title() const { return title_; }
  static std::string TitleOf(Os& os, const std::string& modulePath);

  // Hint timing, in milliseconds.
  static constexpr unsigned kHintPause = 500;
  static constexpr unsigned kHintShortPause = 0;
  static constexpr unsigned kHintHidePause = 2500;

  // Runs the start-up of the application (its window and icon).
  void Initialize();
  // Creates a form; the first becomes the main window. Its create handler
  // runs once its windows exist; an exception from it is shown and swallowed.
  template <class Form>
  Form& CreateForm() {
    auto form = std::make_unique<Form>(*this);
    Form& created = *form;
    AdoptForm(std::move(form));
    return created;
  }
  TForm* MainForm() const { return mainForm_; }

  void Run();
  bool Terminated() const { return terminated_; }
  void Terminate() { terminated_ = true; }
  void Minimize() { backend_.Minimize(); }

  // Runs one piece of message handling; an exception that escapes it is
  // shown in the error box and the program goes on.
  void Dispatch(const std::function<void()>& work);
  void ShowException(const std::exception& error);

  // Ends the program at once with the exit code.
  [[noreturn]] void Halt(int exitCode = 0);

 private:
  void AdoptForm(std::unique_ptr<TForm> form);

  Os& os_;
  ApplicationBackend& backend_;
  std::string title_;
  std::vector<std::unique_ptr<TForm>> forms_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

}  // namespace pix
