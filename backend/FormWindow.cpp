#include <windows.h>
// windows.h first: the message crackers need its types.
#include <windowsx.h>

#include "backend/FormWindow.h"
#include "platform/win32/NoNameMacros.h"

#include <algorithm>
#include <utility>

namespace pix::win32 {

namespace {

constexpr const char* kFormClass = "PixForm";

// A component's place in the window's pixels: its corner and its size each
// scaled, as its picture is drawn at the scale.
RECT BoundsOf(const TControl& control, const DisplayScale& scale) {
  const int left = scale.Px(control.Left()), top = scale.Px(control.Top());
  return RECT{left, top, left + scale.Px(control.Width()), top + scale.Px(control.Height())};
}

bool Contains(const TControl& control, int x, int y) {
  return x >= control.Left() && x < control.Left() + control.Width() && y >= control.Top() &&
         y < control.Top() + control.Height();
}

}  // namespace

// A picture or label: it has no window, so it paints on the form's, and a
// change repaints where it was and where it is now.
class FormWindow::GraphicPeer : public ControlPeer {
 public:
  GraphicPeer(FormWindow& owner, TControl& control)
      : owner_(owner), control_(control), shownAt_(owner.Bounds(control)) {}
  void Changed(TControl&, ControlChange change) override {
    if (change != ControlChange::Bounds && change != ControlChange::Content) return;
    owner_.Invalidate(shownAt_);
    shownAt_ = owner_.Bounds(control_);
    owner_.Invalidate(shownAt_);
  }
  const TControl& Control() const { return control_; }
  // After a change of the display's scale.
  void Rescaled() { shownAt_ = owner_.Bounds(control_); }
  // Paints the control at its place; the DC is clipped to it.
  virtual void Paint(HDC dc) const = 0;

 protected:
  FormWindow& owner_;

 private:
  TControl& control_;
  RECT shownAt_;
};

class FormWindow::ImagePeer final : public GraphicPeer {
 public:
  ImagePeer(FormWindow& owner, TImage& image) : GraphicPeer(owner, image), image_(image) {}
  void Paint(HDC dc) const override {
    const DisplayScale& scale = owner_.context_.gdi.Scale();
    if (image_.Picture())
      owner_.context_.gdi.Bitmap(image_.Picture()).Draw(dc, scale.Px(image_.Left()), scale.Px(image_.Top()));
  }

 private:
  const TImage& image_;
};

class FormWindow::LabelPeer final : public GraphicPeer {
 public:
  LabelPeer(FormWindow& owner, TLabel& label) : GraphicPeer(owner, label), label_(label) {}
  void Paint(HDC dc) const override {
    GdiCache& gdi = owner_.context_.gdi;
    RECT bounds = owner_.Bounds(label_);
    if (!label_.Transparent()) ::FillRect(dc, &bounds, gdi.Brush(owner_.form_.Color()));
    Selection font(dc, gdi.Font(label_.Font()));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorRef(label_.Font().color));
    const std::string& caption = label_.Caption();
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &bounds,
                DT_LEFT | DT_TOP | DT_EXPANDTABS);
  }

 private:
  const TLabel& label_;
};

void RegisterFormClass(HICON icon) {
  RegisterWindowClass(kFormClass, CS_DBLCLKS, ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                      nullptr, icon);
}

FormWindow::FormWindow(PeerContext& context, FormHost& host, TForm& form, HWND owner, HICON icon)
    : Window(context.boundary), context_(context), host_(host), form_(form) {
  // Borderless: no caption, frame or system menu; the client area is the window.
  const DWORD style = form.BorderStyle() == TBorderStyle::bsNone
                          ? WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS
                          : WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  // The window's place is the screen's; its size is the design's at the display's scale.
  Create(kFormClass, 0, form.Caption().c_str(), style, form.Left(), form.Top(), Scale().Px(form.Width()),
         Scale().Px(form.Height()), owner, nullptr);
  // A window on a display of its own scale (where the platform tells).
  if (const int dpi = WindowDpi(Hwnd()); dpi != Scale().Dpi()) {
    Scale().SetDpi(dpi);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, Scale().Px(form.Width()), Scale().Px(form.Height()),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (icon) ::SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  form.SetPeer(this);

  for (TControl* control : form.Components()) {
    ++nextId_;
    control->CreatePeer(*this);
  }
}

void FormWindow::MakeImagePeer(TImage& image) {
  graphics_.push_back(std::make_unique<ImagePeer>(*this, image));
  image.SetPeer(graphics_.back().get());
}

void FormWindow::MakeLabelPeer(TLabel& label) {
  graphics_.push_back(std::make_unique<LabelPeer>(*this, label));
  label.SetPeer(graphics_.back().get());
}

void FormWindow::MakePanelPeer(TPanel& panel) {
  windows_.push_back(CreatePanelPeer(context_, panel, ParentWindowOf(panel), nextId_));
}

void FormWindow::MakeEditPeer(TEdit& edit) {
  windows_.push_back(CreateEditPeer(context_, edit, ParentWindowOf(edit), nextId_));
}

void FormWindow::MakeListPeer(TListControl& list) {
  windows_.push_back(CreateListPeer(context_, list, ParentWindowOf(list), nextId_));
}

HWND FormWindow::ParentWindowOf(const TControl& control) const {
  const TWinControl* parent = control.Parent();
  if (parent == &form_ || !parent || !parent->Peer()) return Hwnd();
  return reinterpret_cast<HWND>(parent->WindowHandle());
}

FormWindow::~FormWindow() {
  // Children before the form, the last made first.
  while (!windows_.empty())
    windows_.pop_back();
  Destroy();
}

void FormWindow::Changed(TControl&, ControlChange change) {
  if (!Hwnd()) return;
  switch (change) {
    case ControlChange::Bounds:
      ::SetWindowPos(Hwnd(), nullptr, form_.Left(), form_.Top(), Scale().Px(form_.Width()),
                     Scale().Px(form_.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case ControlChange::Enabled:
      ::EnableWindow(Hwnd(), form_.Enabled());
      break;
    case ControlChange::Content:
      ::SetWindowTextA(Hwnd(), form_.Caption().c_str());
      break;
    case ControlChange::Focus:
      if (::GetFocus() != Hwnd()) ::SetFocus(Hwnd());
      break;
    case ControlChange::SelectAll:
      break;
  }
}

void FormWindow::CreateHandles() {
  for (const auto& peer : windows_)
    Dispatch([&peer] { peer->Control().WindowCreated(); });
  for (const auto& peer : windows_)
    Dispatch([&peer] { peer->SyncAll(); });
}

void FormWindow::Show(bool maximized) {
  if (!everShown_) {
    everShown_ = true;
    if (form_.Position() == TPosition::poScreenCenter) {
      // Centred once, from the width of this first show; later widths keep
      // the left edge.
      const int left = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - Scale().Px(form_.Width())) / 2);
      const int top = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - Scale().Px(form_.Height())) / 2);
      form_.SetBounds(left, top, form_.Width(), form_.Height());
    }
  }
  ::ShowWindow(Hwnd(), maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  ::UpdateWindow(Hwnd());
}

TControl* FormWindow::ControlAt(HWND window, POINT screen) const {
  if (window == Hwnd()) {
    POINT client = screen;
    ::ScreenToClient(Hwnd(), &client);
    TControl* graphic = GraphicAt(Scale().Design(client.x), Scale().Design(client.y), false);
    return graphic ? graphic : &form_;
  }
  // A window inside a control (the drop-down of a combo box) counts as the control.
  for (HWND at = window; at && at != Hwnd(); at = ::GetParent(at))
    if (WindowedPeer* peer = WindowedPeer::FromHandle(at)) return &peer->Control();
  return &form_;
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT reflected = 0;
  if (ReflectToChild(Hwnd(), message, wParam, lParam, reflected)) return reflected;
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT:
      Paint();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(TMouseButton::mbLeft, message == WM_LBUTTONDBLCLK, wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      Press(TMouseButton::mbRight, message == WM_RBUTTONDBLCLK, wParam, lParam);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      Press(TMouseButton::mbMiddle, message == WM_MBUTTONDBLCLK, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      Release(TMouseButton::mbLeft, wParam, lParam);
      return 0;
    case WM_RBUTTONUP:
      Release(TMouseButton::mbRight, wParam, lParam);
      return 0;
    case WM_MBUTTONUP:
      Release(TMouseButton::mbMiddle, wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      CancelHeldButton();
      break;
    case WM_CAPTURECHANGED:
      // The capture went elsewhere: the press is forgotten, the picture stays down.
      if (reinterpret_cast<HWND>(lParam) != Hwnd()) held_ = nullptr;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        Dispatch([this] { RestoreFocus(); });
        return 0;
      }
      break;
    case WM_SETFOCUS:
      Dispatch([this] { RestoreFocus(); });
      return 0;
    case WM_SETCURSOR:
      if (SetBusyCursor(context_, lParam)) return TRUE;
      break;
    case WM_DPICHANGED:
      Rescale(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        host_.MinimizeRequested();
        return 0;
      }
      break;
    case WM_CLOSE:
      host_.FormClosed(form_);
      return 0;
    default:
      break;
  }
  return CallDefault(message, wParam, lParam);
}

void FormWindow::Paint() {
  PaintSession paint(Hwnd());
  const RECT area = paint.Area();
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  // Drawn off-screen and copied at once, so that a moving picture never flickers.
  MemoryDC buffer(paint.get());
  UniqueBitmap pixels(::CreateCompatibleBitmap(paint.get(), width, height));
  if (!pixels) ThrowLastError("CreateCompatibleBitmap");
  Selection selected(buffer.get(), pixels.get());
  ::SetViewportOrgEx(buffer.get(), -area.left, -area.top, nullptr);
  ::FillRect(buffer.get(), &area, context_.gdi.Brush(form_.Color()));

  // In creation order, each over the ones before.
  for (const auto& graphic : graphics_) {
    if (graphic->Control().Parent() != &form_) continue;
    const RECT bounds = Bounds(graphic->Control());
    RECT overlap{};
    if (!::IntersectRect(&overlap, &bounds, &area)) continue;
    SavedDC saved(buffer.get());
    ::IntersectClipRect(buffer.get(), bounds.left, bounds.top, bounds.right, bounds.bottom);
    graphic->Paint(buffer.get());
  }
  ::BitBlt(paint.get(), area.left, area.top, width, height, buffer.get(), area.left, area.top, SRCCOPY);
}

TControl* FormWindow::GraphicAt(int x, int y, bool enabledOnly) const {
  // The last made lies on top.
  const auto& components = form_.Components();
  const auto found = std::find_if(components.rbegin(), components.rend(), [&](const TControl* control) {
    return !control->IsWindowed() && control->Parent() == &form_ && (!enabledOnly || control->Enabled()) &&
           Contains(*control, x, y);
  });
  return found == components.rend() ? nullptr : *found;
}

void FormWindow::Press(TMouseButton button, bool twice, WPARAM wParam, LPARAM lParam) {
  const int x = Scale().Design(GET_X_LPARAM(lParam)), y = Scale().Design(GET_Y_LPARAM(lParam));
  // While a left press holds the mouse, every button goes to the held picture.
  TControl* target = held_ ? held_ : GraphicAt(x, y, true);
  if (button == TMouseButton::mbLeft && !held_ && target) {
    held_ = target;
    ::SetCapture(Hwnd());
  }
  TShiftState shift = MouseShiftState(wParam);
  if (twice) shift.bits |= TShiftState::ssDouble;
  if (!target) {
    Dispatch([&] { form_.MouseDown(button, shift, x, y); });
    return;
  }
  Dispatch([&] { target->MouseDown(button, shift, x - target->Left(), y - target->Top()); });
}

void FormWindow::Release(TMouseButton button, WPARAM wParam, LPARAM lParam) {
  const int x = Scale().Design(GET_X_LPARAM(lParam)), y = Scale().Design(GET_Y_LPARAM(lParam));
  TControl* target = held_ ? held_ : GraphicAt(x, y, true);
  if (button == TMouseButton::mbLeft && held_) {
    held_ = nullptr;
    ::ReleaseCapture();
  }
  const TShiftState shift = MouseShiftState(wParam);
  if (!target) {
    Dispatch([&] { form_.MouseUp(button, shift, x, y); });
    return;
  }
  Dispatch([&] { target->MouseUp(button, shift, x - target->Left(), y - target->Top()); });
}

void FormWindow::CancelHeldButton() {
  // Whatever takes the mouse away (an error box) releases the held picture,
  // as a left release at (-1, -1) would.
  TControl* held = std::exchange(held_, nullptr);
  if (!held) return;
  if (::GetCapture() == Hwnd()) ::ReleaseCapture();
  Dispatch([held] { held->MouseUp(TMouseButton::mbLeft, TShiftState{}, -1, -1); });
}

void FormWindow::RestoreFocus() {
  TWinControl* control = form_.ActiveControl();
  if (!control || !control->CanFocus()) control = form_.FindNextControl(nullptr, true);
  if (control) form_.FocusControl(control);
}

RECT FormWindow::Bounds(const TControl& control) const {
  return BoundsOf(control, Scale());
}

void FormWindow::Rescale(int dpi, const RECT& suggested) {
  Scale().SetDpi(dpi);
  // The suggested place and size, on the display the window moved to.
  form_.SetBounds(suggested.left, suggested.top, form_.Width(), form_.Height());
  ::SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const auto& graphic : graphics_)
    graphic->Rescaled();
  for (const auto& peer : windows_)
    peer->SyncAll();
  ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void FormWindow::Invalidate(const RECT& area) {
  if (Hwnd()) ::InvalidateRect(Hwnd(), &area, FALSE);
}

}  // namespace pix::win32
