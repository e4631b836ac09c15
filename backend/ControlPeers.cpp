#include <windows.h>
// windows.h first: the message crackers need its types.
#include <windowsx.h>

#include "backend/ControlPeers.h"
#include "platform/win32/NoNameMacros.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "components/Form.h"

namespace pix::win32 {

namespace {

constexpr const char* kPanelClass = "PixPanel";

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  const int got = ::GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void FillArea(HDC dc, const RECT& area, COLORREF colour) {
  const COLORREF previous = ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  ::SetBkColor(dc, previous);
}

// The colours of an owner-drawn item: the platform's highlight when selected.
struct ItemColours {
  COLORREF back, text;
};
ItemColours ColoursOf(const DRAWITEMSTRUCT& item, const TWinControl& control) {
  if (item.itemState & ODS_SELECTED)
    return {::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT)};
  return {ColorRef(control.Color()), ColorRef(control.Font().color)};
}

void DrawItemText(HDC dc, HFONT font, COLORREF colour, int x, int y, const std::string& text) {
  Selection selected(dc, font);
  const int mode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF previous = ::SetTextColor(dc, colour);
  ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  ::SetTextColor(dc, previous);
  ::SetBkMode(dc, mode);
}

// Moves a list window's highlight to the component's selection.
void SelectItem(HWND list, int selected) {
  if (static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)) == selected) return;
  ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  // Some list boxes draw the new item's focus rectangle before its
  // highlight, which then covers it: the item is drawn once more, whole.
  RECT item{};
  if (selected >= 0 && ::GetFocus() == list &&
      ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item)) !=
          LB_ERR)
    ::InvalidateRect(list, &item, FALSE);
}

// ---------------------------------------------------------------------------

class PanelPeer final : public WindowedPeer {
 public:
  PanelPeer(PeerContext& context, TWinControl& panel, HWND parent, int id) : WindowedPeer(context, panel) {
    Create(kPanelClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, panel.Left(),
           panel.Top(), panel.Width(), panel.Height(), parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT reflected = 0;
    if (ReflectToChild(Hwnd(), message, wParam, lParam, reflected)) return reflected;
    switch (message) {
      case WM_ERASEBKGND: {
        RECT area{};
        ::GetClientRect(Hwnd(), &area);
        ::FillRect(reinterpret_cast<HDC>(wParam), &area, context_.gdi.Brush(control_.Color()));
        return 1;
      }
      case WM_SETCURSOR:
        if (SetBusyCursor(context_, lParam)) return TRUE;
        break;
      default:
        break;
    }
    return WindowedPeer::HandleMessage(message, wParam, lParam);
  }
};

// ---------------------------------------------------------------------------

class EditPeer final : public WindowedPeer {
 public:
  EditPeer(PeerContext& context, TEdit& edit, HWND parent, int id)
      : WindowedPeer(context, edit), edit_(edit) {
    const DWORD border = edit.BorderStyle() == TBorderStyle::bsSingle ? WS_EX_CLIENTEDGE : 0;
    CreateControl("EDIT", border, edit.Text().c_str(),
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_AUTOHSCROLL, edit.Left(),
                  edit.Top(), edit.Width(), edit.Height(), parent, id);
  }

  void Command(WORD code) override {
    // Only the user's edits go back; the program's own texts came from there.
    if (code == EN_CHANGE && !settingText_) edit_.TextEdited(WindowText(Hwnd()));
  }

  HBRUSH ControlColor(HDC dc) override {
    ::SetTextColor(dc, ColorRef(edit_.Font().color));
    ::SetBkColor(dc, ColorRef(edit_.Color()));
    return context_.gdi.Brush(edit_.Color());
  }

 protected:
  void SyncFont() override {
    ::SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(context_.gdi.Font(edit_.Font())), FALSE);
  }
  void SyncContent() override {
    if (WindowText(Hwnd()) == edit_.Text()) return;
    settingText_ = true;
    ::SetWindowTextA(Hwnd(), edit_.Text().c_str());
    settingText_ = false;
  }
  void SelectAll() override { ::SendMessageA(Hwnd(), EM_SETSEL, 0, -1); }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = WindowedPeer::HandleMessage(message, wParam, lParam);
    // Entered by the keyboard, an edit offers its whole text for replacing.
    if (message == WM_SETFOCUS && Hwnd() && ::GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    return result;
  }

 private:
  TEdit& edit_;
  bool settingText_ = false;
};

// ---------------------------------------------------------------------------

class ListPeer final : public WindowedPeer {
 public:
  ListPeer(PeerContext& context, TListControl& list, HWND parent, int id)
      : WindowedPeer(context, list), list_(list) {
    CreateControl("LISTBOX", WS_EX_CLIENTEDGE, "",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | LBS_OWNERDRAWFIXED |
                      LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                  list.Left(), list.Top(), list.Width(), list.Height(), parent, id);
  }

  void Command(WORD code) override {
    if (code == LBN_SELCHANGE) {
      Dispatch([this] { TakeSelection(); });
    } else if (code == LBN_DBLCLK) {
      // The list's own answer to a double click comes before the press event.
      Dispatch([this] {
        TakeSelection();
        list_.OpenSelected();
      });
    }
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    const ItemColours colours = ColoursOf(item, list_);
    FillArea(item.hDC, item.rcItem, colours.back);
    const int index = static_cast<int>(item.itemID);
    if (item.itemID != static_cast<UINT>(-1) && list_.HasItems() && index < list_.ItemCount()) {
      const ListItemView view = list_.ItemView(index);
      if (view.glyph) {
        const TransparentGlyph& glyph = context_.gdi.Glyph(Glyph(view.glyph));
        glyph.Draw(item.hDC, item.rcItem.left + Scale().Px(view.glyphLeft),
                   (item.rcItem.top + item.rcItem.bottom - glyph.Height()) / 2);
      }
      DrawItemText(item.hDC, context_.gdi.Font(list_.Font()), colours.text,
                   item.rcItem.left + Scale().Px(view.textLeft), item.rcItem.top, view.text);
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return true;
  }

  HBRUSH ControlColor(HDC dc) override {
    ::SetBkColor(dc, ColorRef(list_.Color()));
    return context_.gdi.Brush(list_.Color());
  }

 protected:
  void SyncFont() override {
    ::SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(context_.gdi.Font(list_.Font())), FALSE);
    ::SendMessageA(Hwnd(), LB_SETITEMHEIGHT, 0, MAKELPARAM(Scale().Px(list_.ItemHeight()), 0));
  }
  // Refills the window only when what it shows changed.
  void SyncContent() override {
    if (!list_.HasItems()) return;  // the items wait for the window
    std::vector<ListItemView> wanted;
    const int count = list_.ItemCount();
    wanted.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index)
      wanted.push_back(list_.ItemView(index));
    if (!SameViews(wanted, shown_)) {
      ::SendMessageA(Hwnd(), WM_SETREDRAW, FALSE, 0);
      ::SendMessageA(Hwnd(), LB_RESETCONTENT, 0, 0);
      for (const ListItemView& view : wanted)
        ::SendMessageA(Hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(view.text.c_str()));
      ::SendMessageA(Hwnd(), WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(Hwnd(), nullptr, TRUE);
      shown_ = std::move(wanted);
    }
    SelectItem(Hwnd(), list_.SelectedIndex());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_CHAR) return WindowedPeer::HandleMessage(message, wParam, lParam);
    // Typing to find: the list consumes what it takes; Enter then opens the
    // highlighted item.
    const char key = static_cast<char>(wParam);
    bool consumed = false;
    Dispatch([&] {
      consumed = list_.KeyPress(key);
      if (key == '\r') {
        TakeSelection();
        list_.OpenSelected();
      }
    });
    return consumed || !Hwnd() ? 0 : CallDefault(message, wParam, lParam);
  }

 private:
  static bool SameViews(const std::vector<ListItemView>& a, const std::vector<ListItemView>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const ListItemView& x, const ListItemView& y) {
          return x.text == y.text && x.glyphLeft == y.glyphLeft && x.textLeft == y.textLeft &&
                 (x.glyph == y.glyph || (x.glyph && y.glyph && std::string_view(x.glyph) == y.glyph));
        });
  }

  // The skin's glyph pictures, loaded once each.
  const std::shared_ptr<const TPicture>& Glyph(const char* name) {
    auto& picture = glyphs_[name];
    if (!picture) picture = context_.pictures.Load(name);
    return picture;
  }

  // The highlight the user moved, into the component.
  void TakeSelection() {
    const int selected = static_cast<int>(::SendMessageA(Hwnd(), LB_GETCURSEL, 0, 0));
    if (selected != list_.SelectedIndex()) list_.SetSelectedIndex(selected);
  }

  TListControl& list_;
  std::map<std::string, std::shared_ptr<const TPicture>> glyphs_;
  std::vector<ListItemView> shown_;
};

}  // namespace

// ---------------------------------------------------------------------------

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState shift;
  if (keys & MK_SHIFT) shift.bits |= TShiftState::ssShift;
  if (keys & MK_CONTROL) shift.bits |= TShiftState::ssCtrl;
  if (keys & MK_LBUTTON) shift.bits |= TShiftState::ssLeft;
  if (keys & MK_RBUTTON) shift.bits |= TShiftState::ssRight;
  if (keys & MK_MBUTTON) shift.bits |= TShiftState::ssMiddle;
  if (::GetKeyState(VK_MENU) < 0) shift.bits |= TShiftState::ssAlt;
  return shift;
}

TShiftState KeyboardShiftState() {
  TShiftState shift;
  if (::GetKeyState(VK_SHIFT) < 0) shift.bits |= TShiftState::ssShift;
  if (::GetKeyState(VK_CONTROL) < 0) shift.bits |= TShiftState::ssCtrl;
  if (::GetKeyState(VK_MENU) < 0) shift.bits |= TShiftState::ssAlt;
  return shift;
}

bool SetBusyCursor(const PeerContext& context, LPARAM hitTest) {
  if (LOWORD(hitTest) != HTCLIENT || context.pointer.Shape() != PointerShape::HourGlass) return false;
  ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  return true;
}

WindowedPeer::WindowedPeer(PeerContext& context, TWinControl& control)
    : Window(context.boundary), context_(context), control_(control) {}

WindowedPeer* WindowedPeer::FromHandle(HWND window) {
  return dynamic_cast<WindowedPeer*>(Window::FromHandle(window));
}

void WindowedPeer::Changed(TControl&, ControlChange change) {
  if (!Hwnd()) return;
  switch (change) {
    case ControlChange::Bounds:
      SyncBounds();
      break;
    case ControlChange::Enabled:
      ::EnableWindow(Hwnd(), control_.Enabled());
      break;
    case ControlChange::Content:
      SyncContent();
      break;
    case ControlChange::Focus:
      if (::GetFocus() != Hwnd()) ::SetFocus(Hwnd());
      break;
    case ControlChange::SelectAll:
      SelectAll();
      break;
  }
}

void WindowedPeer::SyncBounds() {
  const DisplayScale& scale = Scale();
  RECT place{control_.Left(), control_.Top(), control_.Left() + control_.Width(),
             control_.Top() + control_.Height()};
  if (scale.IsDesign() || (::GetWindowLongA(Hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) == 0) {
    place = scale.Px(place);
  } else {
    // A sunken frame keeps its own width: the area inside it scales, so
    // that what a panel shows of it lies where it lies at the design's scale.
    constexpr int kDesignFrame = 2;
    RECT window{}, client{};
    ::GetWindowRect(Hwnd(), &window);
    ::GetClientRect(Hwnd(), &client);
    const int frame = ((window.bottom - window.top) - (client.bottom - client.top)) / 2;
    place = RECT{scale.Px(place.left + kDesignFrame) - frame, scale.Px(place.top + kDesignFrame) - frame,
                 scale.Px(place.right - kDesignFrame) + frame, scale.Px(place.bottom - kDesignFrame) + frame};
  }
  ::MoveWindow(Hwnd(), place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void WindowedPeer::SyncAll() {
  if (!Hwnd()) return;
  SyncFont();
  SyncBounds();
  ::EnableWindow(Hwnd(), control_.Enabled());
  SyncContent();
}

LRESULT WindowedPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return MouseButton(message, wParam, lParam);
    case WM_SETFOCUS: {
      const LRESULT result = CallDefault(message, wParam, lParam);
      // Focus the user gave by clicking is the form's focus too.
      TForm* form = control_.Form();
      if (form && form->ActiveControl() != &control_ && control_.CanFocus())
        Dispatch([&] { form->FocusControl(&control_); });
      return result;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<std::uint16_t>(wParam);
      Dispatch([&] { control_.KeyDown(key, KeyboardShiftState()); });
      // A handler that cleared the key keeps it from the window.
      if (key == 0 || !Hwnd()) return 0;
      return CallDefault(message, key, lParam);
    }
    default:
      return CallDefault(message, wParam, lParam);
  }
}

LRESULT WindowedPeer::MouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
  TMouseButton button = TMouseButton::mbLeft;
  if (message >= WM_RBUTTONDOWN && message <= WM_RBUTTONDBLCLK) button = TMouseButton::mbRight;
  if (message >= WM_MBUTTONDOWN && message <= WM_MBUTTONDBLCLK) button = TMouseButton::mbMiddle;
  const bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
  const bool twice =
      message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
  // The window's own handling first (a list selects, and on a double click
  // opens), then the component's event.
  const LRESULT result = CallDefault(message, wParam, lParam);
  if (!Hwnd()) return result;
  TShiftState shift = MouseShiftState(wParam);
  if (twice) shift.bits |= TShiftState::ssDouble;
  const int x = Scale().Design(GET_X_LPARAM(lParam)), y = Scale().Design(GET_Y_LPARAM(lParam));
  Dispatch([&] {
    if (up)
      control_.MouseUp(button, shift, x, y);
    else
      control_.MouseDown(button, shift, x, y);
  });
  return result;
}

bool ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (WindowedPeer* peer = WindowedPeer::FromHandle(reinterpret_cast<HWND>(lParam))) {
        peer->Command(HIWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      WindowedPeer* peer = WindowedPeer::FromHandle(item.hwndItem);
      if (peer && peer->DrawItem(item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_MEASUREITEM: {
      auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      WindowedPeer* peer = WindowedPeer::FromHandle(::GetDlgItem(parent, static_cast<int>(item.CtlID)));
      if (peer && peer->MeasureItem(item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      if (WindowedPeer* peer = WindowedPeer::FromHandle(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = peer->ControlColor(reinterpret_cast<HDC>(wParam))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

namespace {
template <class Peer, class Control>
std::unique_ptr<WindowedPeer> MakePeer(PeerContext& context, Control& control, HWND parent, int id) {
  auto peer = std::make_unique<Peer>(context, control, parent, id);
  control.SetPeer(peer.get());
  peer->SyncAll();
  return peer;
}
}  // namespace

std::unique_ptr<WindowedPeer> CreatePanelPeer(PeerContext& context, TPanel& panel, HWND parent, int id) {
  return MakePeer<PanelPeer>(context, panel, parent, id);
}

std::unique_ptr<WindowedPeer> CreateEditPeer(PeerContext& context, TEdit& edit, HWND parent, int id) {
  return MakePeer<EditPeer>(context, edit, parent, id);
}

std::unique_ptr<WindowedPeer> CreateListPeer(PeerContext& context, TListControl& list, HWND parent, int id) {
  return MakePeer<ListPeer>(context, list, parent, id);
}

void RegisterPanelClass() {
  RegisterWindowClass(kPanelClass, 0, ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr);
}

}  // namespace pix::win32
