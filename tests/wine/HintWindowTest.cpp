// The real hint window: where it goes, how large it grows with its text, that
// it never takes the activation, and the whole round of pause, show and hide
// on the window's own timer.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "backend/HintWindow.h"
#include "components/Controls.h"

namespace pix::test {
namespace {

RECT WorkArea() {
  RECT area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

std::wstring WindowText(HWND window) {
  std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1);
  ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

// Dispatches the thread's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) break;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

void ExpectInside(const RECT& inner, const RECT& outer, const char* what) {
  EXPECT_GE(inner.left, outer.left) << what;
  EXPECT_GE(inner.top, outer.top) << what;
  EXPECT_LE(inner.right, outer.right) << what;
  EXPECT_LE(inner.bottom, outer.bottom) << what;
}

TEST(HintWindow, StaysOnTheDesktopNearItsEdges) {
  Win32HintWindow hint(::GetModuleHandleW(nullptr), nullptr);
  const RECT area = WorkArea();
  const struct {
    const char* name;
    int x, y;
  } cursors[] = {
      {"bottom right", area.right - 2, area.bottom - 2},
      {"right edge", area.right - 1, area.top + 100},
      {"bottom edge", area.left + 50, area.bottom - 1},
      {"beyond the corner", area.right + 40, area.bottom + 40},
      {"top left", area.left, area.top},
  };
  for (const auto& cursor : cursors) {
    hint.ShowHint("Время стартовой задержки (>50).", cursor.x, cursor.y);
    ASSERT_TRUE(::IsWindowVisible(hint.Handle())) << cursor.name;
    const RECT rect = WindowRect(hint.Handle());
    ExpectInside(rect, area, cursor.name);
    EXPECT_GT(rect.right - rect.left, 6) << cursor.name;
    EXPECT_GT(rect.bottom - rect.top, 6) << cursor.name;
  }
  hint.HideHint();
  EXPECT_FALSE(::IsWindowVisible(hint.Handle()));
}

TEST(HintWindow, AwayFromTheEdgesItSitsAtTheCursorAndBelowIt) {
  Win32HintWindow hint(::GetModuleHandleW(nullptr), nullptr);
  const RECT area = WorkArea();
  const int x = area.left + 100, y = area.top + 100;
  hint.ShowHint("Справка.", x, y);
  const RECT rect = WindowRect(hint.Handle());
  EXPECT_EQ(rect.left, x);
  EXPECT_GE(rect.top, y);
  EXPECT_LE(rect.top, y + ::GetSystemMetrics(SM_CYCURSOR));
}

TEST(HintWindow, TakesTheRussianTextAndGrowsWithIt) {
  Win32HintWindow hint(::GetModuleHandleW(nullptr), nullptr);
  const RECT area = WorkArea();
  std::string wordy;
  for (int i = 0; i < 60; ++i)
    wordy += "Папка с картинками. ";
  const struct {
    std::string text;
    std::wstring shown;
  } texts[] = {
      {"Справка.", L"Справка."},
      {"Выход из программы.", L"Выход из программы."},
      {"Время стартовой задержки (>50).", L"Время стартовой задержки (>50)."},
  };
  const int x = area.left + 10, y = area.top + 10;
  LONG width = 0, height = 0;
  for (const auto& text : texts) {
    hint.ShowHint(text.text, x, y);
    EXPECT_EQ(WindowText(hint.Handle()), text.shown);
    const RECT rect = WindowRect(hint.Handle());
    EXPECT_GT(rect.right - rect.left, width) << text.text;
    if (height != 0) {
      EXPECT_EQ(rect.bottom - rect.top, height) << text.text;  // one line each
    }
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
  }
  // Too long for one line: wrapped within the desktop's width.
  hint.ShowHint(wordy, x, y);
  const RECT rect = WindowRect(hint.Handle());
  EXPECT_GT(rect.bottom - rect.top, 2 * height);
  EXPECT_LE(rect.right - rect.left, area.right - area.left);
  ExpectInside(rect, area, "wrapped");
  // "&" is shown as it stands.
  hint.ShowHint("A&B", x, y);
  EXPECT_EQ(WindowText(hint.Handle()), L"A&B");
}

TEST(HintWindow, NeverTakesTheActivation) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW plain{};
  plain.lpfnWndProc = ::DefWindowProcW;
  plain.hInstance = instance;
  plain.lpszClassName = L"PixHintTestOwner";
  ::RegisterClassW(&plain);
  const win32::UniqueWindow owner(::CreateWindowExW(0, L"PixHintTestOwner", L"owner", WS_OVERLAPPEDWINDOW, 10,
                                                    10, 200, 100, nullptr, nullptr, instance, nullptr));
  ASSERT_NE(owner.get(), nullptr);
  ::ShowWindow(owner.get(), SW_SHOW);
  ::SetActiveWindow(owner.get());
  ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == owner.get(); }, 10000));

  Win32HintWindow hint(instance, owner.get());
  // The bits are tested outside the assertion macros: mingw pastes a
  // lower-case "l" onto these constants, which cert-dcl16-c flags once a
  // macro of the test's own carries them.
  const LONG_PTR exStyle = ::GetWindowLongPtrW(hint.Handle(), GWL_EXSTYLE);
  const LONG_PTR style = ::GetWindowLongPtrW(hint.Handle(), GWL_STYLE);
  const bool topmost = (exStyle & WS_EX_TOPMOST) != 0, toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0,
             noActivate = (exStyle & WS_EX_NOACTIVATE) != 0,
             framed = (style & (WS_CAPTION | WS_THICKFRAME)) != 0;
  EXPECT_TRUE(topmost);
  EXPECT_TRUE(toolWindow);
  EXPECT_TRUE(noActivate);
  EXPECT_FALSE(framed);
  hint.ShowHint("Свернуть программу.", 50, 50);
  PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(::IsWindowVisible(hint.Handle()));
  EXPECT_EQ(::GetActiveWindow(), owner.get());
  EXPECT_EQ(::GetWindow(hint.Handle(), GW_OWNER), owner.get());
}

TEST(HintWindow, CancelMessagesAreKeysButtonsWheelsCommandsAndFrameMoves) {
  const struct {
    UINT message;
    bool cancels;
  } cases[] = {
      {WM_KEYDOWN, true},     {WM_KEYUP, true},       {WM_CHAR, true},          {WM_SYSKEYDOWN, true},
      {WM_LBUTTONDOWN, true}, {WM_RBUTTONUP, true},   {WM_MBUTTONDBLCLK, true}, {WM_MOUSEWHEEL, true},
      {WM_XBUTTONDOWN, true}, {WM_NCMOUSEMOVE, true}, {WM_NCLBUTTONDOWN, true}, {WM_COMMAND, true},
      {WM_SYSCOMMAND, true},  {WM_MOUSEMOVE, false},  {WM_TIMER, false},        {WM_PAINT, false},
      {WM_ACTIVATE, false},   {WM_SETCURSOR, false},  {WM_NCHITTEST, false},    {WM_MOUSELEAVE, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsHintCancelMessage(c.message), c.cancels) << std::hex << c.message;
}

TEST(HintWindow, ShowsAfterThePauseAndHidesAgainOnItsTimer) {
  Win32Hints hints(::GetModuleHandleW(nullptr), nullptr);
  TPanel window("window", nullptr, 0, 0, 100, 100);
  TImage button("button", &window, 10, 10, 17, 18);
  button.SetHint("Справка.|Открывает справку");
  button.SetShowHint(true);
  HWND pop = hints.Window().Handle();

  hints.Controller().ApplicationActivated(true);
  hints.Controller().MouseMoved(&button, 120, 130);
  EXPECT_FALSE(::IsWindowVisible(pop));
  ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(pop) != FALSE; }, 10000));
  EXPECT_EQ(WindowText(pop), L"Справка.");
  EXPECT_EQ(hints.Controller().Phase(), HintPhase::Shown);
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindowVisible(pop); }, 15000));
  EXPECT_EQ(hints.Controller().Phase(), HintPhase::Expired);

  // A key taken from the queue cancels: the next hint waits again.
  hints.Controller().MouseMoved(nullptr, 0, 0);
  hints.Controller().MouseMoved(&button, 121, 131);
  MSG key{};
  key.message = WM_KEYDOWN;
  hints.SeeQueuedMessage(key);
  EXPECT_EQ(hints.Controller().Phase(), HintPhase::Idle);
  PumpUntil([] { return false; }, 800);
  EXPECT_FALSE(::IsWindowVisible(pop));
}

}  // namespace
}  // namespace pix::test
