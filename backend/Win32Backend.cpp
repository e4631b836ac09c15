#include <windows.h>

#include "backend/Win32Backend.h"
#include "platform/win32/NoNameMacros.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/ControlPeers.h"
#include "backend/FormWindow.h"
#include "backend/Gdi.h"
#include "backend/HintWindow.h"
#include "backend/Window.h"
#include "components/SkinPictures.h"
#include "platform/win32/Handles.h"
#include "settings/Errors.h"
#include "skin/SkinNames.h"

namespace pix::win32 {

namespace {

constexpr const char* kApplicationClass = "PixApplication";
constexpr const char* kTimerClass = "PixTimer";
// Posted to the application window when it got the focus: the focus then
// moves on to the main window, once the activation has settled.
constexpr UINT kPassFocusOn = WM_APP + 1;
constexpr UINT_PTR kTimerId = 1;

HINSTANCE Instance() {
  return ::GetModuleHandleA(nullptr);
}

HCURSOR SystemCursor(LPCSTR id) {
  return ::LoadCursorA(nullptr, id);
}

// The centre of the primary display, where the application window waits
// with no size.
POINT ScreenCentre() {
  return POINT{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2};
}

// The windows of this thread that are visible and enabled, disabled for the
// time of a modal box and enabled again afterwards.
class DisabledTaskWindows {
 public:
  DisabledTaskWindows() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows_));
    for (HWND window : windows_)
      ::EnableWindow(window, FALSE);
  }
  DisabledTaskWindows(const DisabledTaskWindows&) = delete;
  DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;
  ~DisabledTaskWindows() {
    for (HWND window : windows_)
      if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  }

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM list) {
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window))
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  }
  std::vector<HWND> windows_;
};

}  // namespace

class Win32Backend::Impl final : public MessageBoundary, public FormHost {
 public:
  explicit Impl(Win32Backend& owner) : owner_(owner) {}
  ~Impl() override {
    closed_ = true;
    hints_.reset();
    timers_.clear();
    while (!forms_.empty())
      forms_.pop_back();
    applicationWindow_.reset();
  }

  // MessageBoundary
  void Report(std::exception_ptr error) noexcept override {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& exception) {
      ShowException(exception);
    } catch (...) {
      ShowException(Exception("Unknown exception"));
    }
  }
  bool Closed() const noexcept override { return closed_; }

  void ShowException(const std::exception& error) noexcept {
    try {
      if (application_) application_->ShowException(error);
    } catch (...) {
      // Nothing is left to show it with.
    }
  }

  // FormHost
  void FormClosed(TForm& form) override {
    FormWindow* window = WindowOf(form);
    if (window) ::ShowWindow(window->Hwnd(), SW_HIDE);
    // Closing the main window ends the program.
    if (application_ && &form == application_->MainForm()) {
      application_->Terminate();
      ::PostQuitMessage(0);
    }
  }
  void MinimizeRequested() override { Minimize(); }

  void CreateApplicationWindow(TApplication& application);
  void CreateFormWindows(TForm& form) {
    forms_.push_back(std::make_unique<FormWindow>(*context_, *this, form, ApplicationHwnd(), bigIcon_.get()));
  }
  void RunMessageLoop(TApplication& application, int showCommand);
  void ShowErrorBox(const std::string& caption, const std::string& text);
  void Minimize();
  void Restore();
  void PassFocusOn();
  [[noreturn]] void EndProcess(int exitCode);

  bool StartTimer(TTimer& timer, unsigned intervalMs);
  void StopTimer(TTimer& timer);
  std::shared_ptr<const TPicture> Load(const std::string& name);
  PointerShape Shape() const { return shape_; }
  void SetShape(PointerShape shape);

  Win32Hints* Hints() const { return hints_.get(); }
  TApplication* Application() const { return application_; }

 private:
  class ApplicationWindow;
  class TimerWindow;

  HWND ApplicationHwnd() const;
  FormWindow* MainFormWindow() const {
    return application_ && application_->MainForm() ? WindowOf(*application_->MainForm()) : nullptr;
  }
  FormWindow* WindowOf(const TForm& form) const {
    for (const auto& window : forms_)
      if (&window->Form() == &form) return window.get();
    return nullptr;
  }
  FormWindow* FormWindowAround(HWND window) const {
    const HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    for (const auto& form : forms_)
      if (form->Hwnd() == root) return form.get();
    return nullptr;
  }
  void ShowMainWindow(bool maximized);
  void ProcessMessage(MSG& message);
  bool HandleTabKey(const MSG& message);
  void TrackMouse();
  TControl* ControlAtCursor(POINT screen) const;

  Win32Backend& owner_;
  TApplication* application_ = nullptr;  // not owned
  GdiCache gdi_;
  std::unique_ptr<PeerContext> context_;
  UniqueIcon bigIcon_, smallIcon_;
  std::unique_ptr<ApplicationWindow> applicationWindow_;
  std::unique_ptr<Win32Hints> hints_;
  std::vector<std::unique_ptr<FormWindow>> forms_;
  std::map<TTimer*, std::unique_ptr<TimerWindow>> timers_;
  std::map<std::string, std::shared_ptr<const TPicture>> pictures_;
  PointerShape shape_ = PointerShape::Default;
  bool mainFormWanted_ = false;  // shown unless the application is minimized
  bool closed_ = false;
};

// The hidden application window: it carries the title and the icon, holds
// the taskbar button and owns the forms.
class Win32Backend::Impl::ApplicationWindow final : public Window {
 public:
  ApplicationWindow(Impl& impl, const std::string& title) : Window(impl), impl_(impl) {
    const POINT centre = ScreenCentre();
    Create(kApplicationClass, 0, title.c_str(),
           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, centre.x, centre.y, 0, 0,
           nullptr, nullptr);
    // The taskbar button's menu: Restore, Minimize and Close only.
    const HMENU menu = ::GetSystemMenu(Hwnd(), FALSE);
    for (UINT command : {SC_MAXIMIZE, SC_SIZE, SC_MOVE})
      ::DeleteMenu(menu, command, MF_BYCOMMAND);
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CLOSE:
        // The taskbar's Close closes the main window, which ends the program.
        if (TApplication* application = impl_.Application(); application && application->MainForm())
          impl_.FormClosed(*application->MainForm());
        return 0;
      case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
          case SC_MINIMIZE:
            impl_.Minimize();
            return 0;
          case SC_RESTORE:
            impl_.Restore();
            return 0;
          default:
            break;
        }
        break;
      case WM_ACTIVATEAPP:
        if (Win32Hints* hints = impl_.Hints();
            hints && hints->Controller().ApplicationActive() != (wParam != 0))
          hints->Controller().ApplicationActivated(wParam != 0);
        break;
      case WM_SETFOCUS:
        ::PostMessageA(Hwnd(), kPassFocusOn, 0, 0);
        break;
      case kPassFocusOn:
        impl_.PassFocusOn();
        return 0;
      case WM_QUERYENDSESSION:
        return TRUE;
      case WM_ENDSESSION:
        // The log-on ends: the loop stops and the program halts, saving nothing.
        if (wParam && impl_.Application()) {
          impl_.Application()->Terminate();
          ::PostQuitMessage(0);
        }
        return 0;
      default:
        break;
    }
    return CallDefault(message, wParam, lParam);
  }

  Impl& impl_;
};

// The hidden window of one timer, which receives its ticks.
class Win32Backend::Impl::TimerWindow final : public Window {
 public:
  TimerWindow(Impl& impl, TTimer& timer) : Window(impl), impl_(impl), timer_(timer) {
    Create(kTimerClass, 0, timer.Name().c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kTimerId) {
      if (TApplication* application = impl_.Application()) application->Dispatch([this] { timer_.Tick(); });
      return 0;
    }
    return CallDefault(message, wParam, lParam);
  }

  Impl& impl_;
  TTimer& timer_;
};

HWND Win32Backend::Impl::ApplicationHwnd() const {
  return applicationWindow_ ? applicationWindow_->Hwnd() : nullptr;
}

void Win32Backend::Impl::CreateApplicationWindow(TApplication& application) {
  application_ = &application;
  // The windows take the display's scale; the scaled art comes from the resources.
  gdi_.Scale().SetDpi(SystemDpi());
  gdi_.SetPictures(&owner_);
  context_ = std::make_unique<PeerContext>(PeerContext{application, gdi_, owner_, owner_, *this});

  // The big icon as drawn for the display's scale (the small one comes from
  // the design's, which the platform brings to its size).
  const int iconPercent = gdi_.Scale().ArtPercent();
  const std::string bigIconName = skin::ScaledName(skin::kMainIcon, iconPercent);
  bigIcon_.reset(
      static_cast<HICON>(::LoadImageA(Instance(), bigIconName.c_str(), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
  smallIcon_.reset(
      static_cast<HICON>(::LoadImageA(Instance(), skin::kMainIcon, IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
  RegisterWindowClass(kApplicationClass, 0, SystemCursor(reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr,
                      bigIcon_.get());
  RegisterWindowClass(kTimerClass, 0, nullptr, nullptr);
  RegisterFormClass(bigIcon_.get());
  RegisterPanelClass();

  applicationWindow_ = std::make_unique<ApplicationWindow>(*this, application.Title());
  const HWND window = applicationWindow_->Hwnd();
  ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  hints_ = std::make_unique<Win32Hints>(Instance(), window,
                                        [this](const std::exception& error) { ShowException(error); });
}

void Win32Backend::Impl::RunMessageLoop(TApplication& application, int showCommand) {
  // The file lists fill themselves when their windows come, at the latest now.
  for (const auto& form : forms_)
    form->CreateHandles();
  if (MainFormWindow()) {
    if (showCommand == kShowMinNoActive) {
      // Started minimized: only the taskbar button, until the user restores.
      ::ShowWindow(ApplicationHwnd(), SW_SHOWMINNOACTIVE);
    } else {
      ShowMainWindow(showCommand == kShowMaximized);
    }
  }

  MSG message{};
  while (!application.Terminated()) {
    // The idle work, when the queue is empty; GetMessage then waits.
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) TrackMouse();
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      application.Terminate();
      break;
    }
    ProcessMessage(message);
  }
}

void Win32Backend::Impl::ShowMainWindow(bool maximized) {
  FormWindow* main = MainFormWindow();
  if (!main) return;
  // The taskbar button comes with the first window shown.
  ::SetWindowPos(ApplicationHwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  mainFormWanted_ = true;
  main->Show(maximized);
}

void Win32Backend::Impl::ProcessMessage(MSG& message) {
  if (hints_) {
    hints_->SeeQueuedMessage(message);
    if (message.message == WM_MOUSEMOVE && FormWindowAround(message.hwnd)) {
      TrackMouse();
      // The mouse leaving the window brings a message, and with it the idle
      // work that cancels the hint.
      TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, message.hwnd, 0};
      ::TrackMouseEvent(&leave);
    }
  }
  if (HandleTabKey(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

bool Win32Backend::Impl::HandleTabKey(const MSG& message) {
  // Tab and Shift+Tab move the focus in the form's tab order; no control
  // of the program takes the key itself.
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
  if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
  FormWindow* form = FormWindowAround(message.hwnd);
  if (!form || !application_) return false;
  const bool forward = ::GetKeyState(VK_SHIFT) >= 0;
  application_->Dispatch([&] { form->Form().SelectNext(forward); });
  return true;
}

void Win32Backend::Impl::TrackMouse() {
  if (!hints_ || !application_) return;
  POINT cursor{};
  if (!::GetCursorPos(&cursor)) return;
  TControl* control = ControlAtCursor(cursor);
  application_->Dispatch([&] { hints_->Controller().MouseMoved(control, cursor.x, cursor.y); });
}

TControl* Win32Backend::Impl::ControlAtCursor(POINT screen) const {
  HWND window = ::WindowFromPoint(screen);
  if (!window) return nullptr;
  // The search from the screen passes over disabled windows; they count too.
  for (;;) {
    POINT client = screen;
    ::ScreenToClient(window, &client);
    const HWND child = ::ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE);
    if (!child || child == window) break;
    window = child;
  }
  FormWindow* form = FormWindowAround(window);
  return form ? form->ControlAt(window, screen) : nullptr;
}

void Win32Backend::Impl::ShowErrorBox(const std::string& caption, const std::string& text) {
  // A held button is let go first.
  if (const HWND capture = ::GetCapture()) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
  const HWND active = ::GetActiveWindow();
  const HWND focus = ::GetFocus();
  const HWND owner = ApplicationHwnd();

  // The box shows on the monitor of the active window.
  RECT parked{};
  bool moved = false;
  if (owner && active &&
      ::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST) !=
          ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetWindowRect(owner, &parked) &&
        ::GetMonitorInfoA(::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST), &monitor)) {
      ::SetWindowPos(owner, nullptr, (monitor.rcMonitor.left + monitor.rcMonitor.right) / 2,
                     (monitor.rcMonitor.top + monitor.rcMonitor.bottom) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      moved = true;
    }
  }
  {
    DisabledTaskWindows disabled;
    // The box's own loop goes on dispatching: the timers keep ticking.
    ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  }
  if (moved)
    ::SetWindowPos(owner, nullptr, parked.left, parked.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (active && ::IsWindow(active)) ::SetActiveWindow(active);
  if (focus && ::IsWindow(focus)) ::SetFocus(focus);
}

void Win32Backend::Impl::Minimize() {
  const HWND owner = ApplicationHwnd();
  if (!owner || ::IsIconic(owner)) return;
  FormWindow* main = MainFormWindow();
  ::SetActiveWindow(owner);
  if (main && ::IsWindowVisible(main->Hwnd()) && ::IsWindowEnabled(main->Hwnd())) {
    // From the main window's place down to the taskbar.
    const TForm& form = main->Form();
    ::SetWindowPos(owner, main->Hwnd(), form.Left(), form.Top(), gdi_.Scale().Px(form.Width()), 0,
                   SWP_SHOWWINDOW);
    ::DefWindowProcA(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    ::ShowWindow(owner, SW_MINIMIZE);
  }
  // The owned main window goes with its owner.
  if (main && ::IsWindowVisible(main->Hwnd())) ::ShowWindow(main->Hwnd(), SW_HIDE);
}

void Win32Backend::Impl::Restore() {
  const HWND owner = ApplicationHwnd();
  if (!owner || !::IsIconic(owner)) return;
  ::SetActiveWindow(owner);
  ::ShowWindow(owner, SW_RESTORE);
  const POINT centre = ScreenCentre();
  ::SetWindowPos(owner, nullptr, centre.x, centre.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  FormWindow* main = MainFormWindow();
  if (!main) return;
  if (!main->EverShown()) {
    // Minimized since the start: shown now, in the normal state, centred.
    ShowMainWindow(false);
  } else if (mainFormWanted_ && !::IsWindowVisible(main->Hwnd())) {
    ::ShowWindow(main->Hwnd(), SW_SHOW);
  }
  ::SetForegroundWindow(main->Hwnd());
  ::SetActiveWindow(main->Hwnd());
}

void Win32Backend::Impl::PassFocusOn() {
  const HWND owner = ApplicationHwnd();
  FormWindow* main = MainFormWindow();
  if (!owner || !main || ::IsIconic(owner) || ::GetFocus() != owner) return;
  if (::IsWindowVisible(main->Hwnd()) && ::IsWindowEnabled(main->Hwnd())) ::SetActiveWindow(main->Hwnd());
}

void Win32Backend::Impl::EndProcess(int exitCode) {
  // From here on no handler runs. The process's end takes its windows with
  // it; destroying them one by one first would change nothing a user sees
  // and, under X, cost seconds of waiting for each window tree to go.
  closed_ = true;
  if (hints_) hints_->Window().HideHint();
  for (const auto& [timer, window] : timers_)
    ::KillTimer(window->Hwnd(), 1);
  ::ExitProcess(static_cast<UINT>(exitCode));
}

bool Win32Backend::Impl::StartTimer(TTimer& timer, unsigned intervalMs) {
  auto& window = timers_[&timer];
  if (!window) window = std::make_unique<TimerWindow>(*this, timer);
  return ::SetTimer(window->Hwnd(), kTimerId, intervalMs, nullptr) != 0;
}

void Win32Backend::Impl::StopTimer(TTimer& timer) {
  const auto found = timers_.find(&timer);
  if (found != timers_.end() && found->second->Hwnd()) ::KillTimer(found->second->Hwnd(), kTimerId);
}

std::shared_ptr<const TPicture> Win32Backend::Impl::Load(const std::string& name) {
  if (const auto found = pictures_.find(name); found != pictures_.end()) return found->second;
  auto picture = LoadSkinPicture(name, [](const char* resourceName) -> std::optional<std::string_view> {
    const HRSRC resource = ::FindResourceA(Instance(), resourceName, skin::kPackedPictureType);
    const HGLOBAL loaded = resource ? ::LoadResource(Instance(), resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return std::nullopt;
    return std::string_view(static_cast<const char*>(bytes), ::SizeofResource(Instance(), resource));
  });
  pictures_.emplace(name, picture);
  return picture;
}

void Win32Backend::Impl::SetShape(PointerShape shape) {
  shape_ = shape;
  ::SetCursor(
      SystemCursor(reinterpret_cast<LPCSTR>(shape == PointerShape::HourGlass ? IDC_WAIT : IDC_ARROW)));
}

// ---------------------------------------------------------------------------

Win32Backend::Win32Backend() : impl_(std::make_unique<Impl>(*this)) {}
Win32Backend::~Win32Backend() = default;

void Win32Backend::CreateApplicationWindow(TApplication& application) {
  impl_->CreateApplicationWindow(application);
}
void Win32Backend::CreateFormWindows(TForm& form) {
  impl_->CreateFormWindows(form);
}
int Win32Backend::StartupShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : kShowDefault;
}
void Win32Backend::RunMessageLoop(TApplication& application, int showCommand) {
  impl_->RunMessageLoop(application, showCommand);
}
void Win32Backend::ShowErrorBox(const std::string& caption, const std::string& text) {
  impl_->ShowErrorBox(caption, text);
}
void Win32Backend::Minimize() {
  impl_->Minimize();
}
void Win32Backend::EndProcess(int exitCode) {
  impl_->EndProcess(exitCode);
}
bool Win32Backend::StartTimer(TTimer& timer, unsigned intervalMs) {
  return impl_->StartTimer(timer, intervalMs);
}
void Win32Backend::StopTimer(TTimer& timer) {
  impl_->StopTimer(timer);
}
std::shared_ptr<const TPicture> Win32Backend::Load(const std::string& name) {
  return impl_->Load(name);
}
PointerShape Win32Backend::Shape() const {
  return impl_->Shape();
}
void Win32Backend::SetShape(PointerShape shape) {
  impl_->SetShape(shape);
}

// ---------------------------------------------------------------------------

std::string UnhandledExceptionText(const std::string& className, const std::string& moduleName,
                                   std::uintptr_t address, const std::string& message) {
  char where[16];
  // Eight hex digits always fit, so the length snprintf gives is of no use.
  (void)std::snprintf(where, sizeof where, "%08X", static_cast<unsigned>(address));
  const bool stop = !message.empty() && message.back() != '.';
  return "Exception " + className + " in module " + moduleName + " at " + where + ".\r\n" + message +
         (stop ? "." : "") + "\r\n";
}

void ShowUnhandledExceptionAndExit(const std::exception* error) {
  std::string className = "Exception", message;
  if (const auto* own = dynamic_cast<const Exception*>(error)) {
    className = own->ClassName();
    message = own->Message();
  } else if (error) {
    message = error->what();
  }
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string module(path, length);
  module = module.substr(module.find_last_of("\\:") + 1);
  // Where the program learnt of it, as an offset into the program.
  const auto base = reinterpret_cast<std::uintptr_t>(Instance());
  const auto address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)) - base;
  const std::string text = UnhandledExceptionText(className, module, address, message);
  ::MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ::ExitProcess(1);
}

}  // namespace pix::win32
