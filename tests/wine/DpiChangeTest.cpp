// The window moved to a display of another scale: Windows sends the new dpi
// and the place it suggests, and the window takes that place and lays its
// components out anew at the new scale, and back again.
#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <gtest/gtest.h>

#include <string>

#include "backend/Win32Backend.h"
#include "components/Application.h"
#include "components/Controls.h"
#include "components/Form.h"
#include "platform/win32/Win32Os.h"

namespace pix::test {
namespace {

class ScaledForm : public TForm {
 public:
  explicit ScaledForm(TApplication& application)
      : TForm(application, "ScaledForm", 100, 100, 276, 196),
        panel("panel", this, 18, 16, 168, 160),
        editor("editor", this, 213, 138, 31, 13, "0") {
    SetBorderStyle(TBorderStyle::bsNone);
    Insert(panel);
    Insert(editor);
  }
  TPanel panel;
  TEdit editor;
};

HWND WindowOf(const TControl& control) {
  return reinterpret_cast<HWND>(control.WindowHandle());  // NOLINT(performance-no-int-to-ptr)
}

// The form's child window of a class, by its place in the z-order: the
// components' windows are children of the form's, in creation order.
HWND ChildOfClass(HWND parent, const wchar_t* className) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (::lstrcmpiW(name, className) == 0) return child;
  }
  return nullptr;
}

// A child's place in its parent's client pixels.
RECT PlaceOf(HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

TEST(DpiChange, TheWindowTakesTheSuggestedPlaceAndScalesItsComponents) {
  Win32Os os;
  win32::Win32Backend backend;
  TApplication application(os, backend);
  application.Initialize();
  auto& form = application.CreateForm<ScaledForm>();
  const HWND window = WindowOf(form);
  ASSERT_NE(window, nullptr);
  const HWND editor = ChildOfClass(window, L"Edit");
  ASSERT_NE(editor, nullptr);
  // The panel is the form's other child.
  HWND panel = ::GetWindow(window, GW_CHILD);
  if (panel == editor) panel = ::GetWindow(panel, GW_HWNDNEXT);
  ASSERT_NE(panel, nullptr);

  struct Step {
    int dpi;
    RECT suggested;
    std::string panel, editor;  // the editor's exact place at 96 dpi
  };
  const Step steps[] = {
      {192, {40, 50, 40 + 552, 50 + 392}, "36,32 336x320", ""},
      {144, {60, 70, 60 + 414, 70 + 294}, "27,24 252x240", ""},
      {96, {100, 100, 100 + 276, 100 + 196}, "18,16 168x160", "213,138 31x13"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.dpi);
    RECT suggested = step.suggested;
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(Text(WindowRect(window)), Text(step.suggested));
    EXPECT_EQ(Text(PlaceOf(panel)), step.panel);
    // The editor's window keeps its edge's own width inside its scaled place.
    const RECT place = PlaceOf(editor);
    const RECT scaled = {::MulDiv(213, step.dpi, 96), ::MulDiv(138, step.dpi, 96),
                         ::MulDiv(213 + 31, step.dpi, 96), ::MulDiv(138 + 13, step.dpi, 96)};
    RECT inside{};
    EXPECT_TRUE(::IntersectRect(&inside, &place, &scaled) && ::EqualRect(&inside, &place))
        << Text(place) << " inside " << Text(scaled) << ", at 96 dpi " << step.editor;
    EXPECT_GE(place.right - place.left, scaled.right - scaled.left - 6) << Text(place);
    EXPECT_GE(place.bottom - place.top, scaled.bottom - scaled.top - 6) << Text(place);
    if (step.dpi == 96) {
      EXPECT_EQ(Text(place), step.editor);
    }
    // The components keep their places in the design's pixels.
    EXPECT_EQ(form.editor.Left(), 213);
    EXPECT_EQ(form.editor.Width(), 31);
  }
}

}  // namespace
}  // namespace pix::test
