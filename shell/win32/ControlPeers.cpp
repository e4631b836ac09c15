#include <windows.h>
// windows.h first: the message crackers need its types.
#include <windowsx.h>

#include "platform/win32/NoNameMacros.h"
#include "shell/win32/ControlPeers.h"

#include <algorithm>

#include "filectrl/FileCtrl.h"
#include "shell/components/Form.h"
#include "skin/SkinNames.h"

namespace pix::win32 {

namespace {

constexpr const char* kPanelClass = "PixPanel";
// The drive list's drop-down part, below its closed height.
constexpr int kDropDownHeight = 160;

TForm* FormOf(TControl& control) {
  TControl* top = &control;
  while (top->Parent() != nullptr)
    top = top->Parent();
  return dynamic_cast<TForm*>(top);
}

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

// The items a list window shows, to refill it only when they change.
template <class Fill>
bool Refill(HWND window, std::vector<std::string>& shown, std::vector<std::string> wanted, UINT reset,
            UINT add, Fill&& fill) {
  if (wanted == shown) return false;
  ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(window, reset, 0, 0);
  fill(add);
  ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(window, nullptr, TRUE);
  shown = std::move(wanted);
  return true;
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
    ::SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(context.gdi.Font(edit.Font())), FALSE);
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

class FolderListPeer final : public WindowedPeer {
 public:
  FolderListPeer(PeerContext& context, TDirectoryListBox& list, HWND parent, int id)
      : WindowedPeer(context, list),
        list_(list),
        onTheWay_(context.pictures.Load(skin::kOpenFolder)),
        current_(context.pictures.Load(skin::kCurrentFolder)),
        subfolder_(context.pictures.Load(skin::kClosedFolder)) {
    CreateOwnerDrawnList(list.ItemHeight(), parent, id);
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
    if (item.itemID != static_cast<UINT>(-1) && list_.HasWindow() && index < list_.ItemCount()) {
      const TransparentGlyph& glyph = context_.gdi.Glyph(GlyphOf(list_.Item(index).kind));
      const int indent = list_.ItemIndent(index);
      glyph.Draw(item.hDC, item.rcItem.left + indent,
                 (item.rcItem.top + item.rcItem.bottom - glyph.Height()) / 2);
      DrawItemText(item.hDC, context_.gdi.Font(list_.Font()), colours.text,
                   item.rcItem.left + kGlyphWidth + indent + 4, item.rcItem.top,
                   list_.ItemDisplayText(index));
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return true;
  }

  HBRUSH ControlColor(HDC dc) override {
    ::SetBkColor(dc, ColorRef(list_.Color()));
    return context_.gdi.Brush(list_.Color());
  }

 protected:
  void SyncContent() override {
    if (!list_.HasWindow()) return;  // the items wait for the window
    std::vector<std::string> wanted;
    for (int index = 0; index < list_.ItemCount(); ++index)
      wanted.push_back(list_.ItemDisplayText(index) + '\n' +
                       std::to_string(static_cast<int>(list_.Item(index).kind)) + '\n' +
                       std::to_string(list_.ItemIndent(index)));
    Refill(Hwnd(), shown_, std::move(wanted), LB_RESETCONTENT, LB_ADDSTRING, [this](UINT add) {
      for (int index = 0; index < list_.ItemCount(); ++index)
        ::SendMessageA(Hwnd(), add, 0, reinterpret_cast<LPARAM>(list_.Item(index).text.c_str()));
    });
    SelectItem(Hwnd(), list_.SelectedIndex());
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_CHAR) return WindowedPeer::HandleMessage(message, wParam, lParam);
    // Typing to find: the list consumes what it takes; Enter then opens the
    // highlighted folder.
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
  static constexpr int kGlyphWidth = 16;

  const std::shared_ptr<const TPicture>& GlyphOf(FolderItemKind kind) const {
    switch (kind) {
      case FolderItemKind::OnTheWay:
        return onTheWay_;
      case FolderItemKind::Current:
        return current_;
      case FolderItemKind::Subfolder:
        break;
    }
    return subfolder_;
  }

  // The highlight the user moved, into the component.
  void TakeSelection() {
    const int selected = static_cast<int>(::SendMessageA(Hwnd(), LB_GETCURSEL, 0, 0));
    if (selected != list_.SelectedIndex()) list_.SetSelectedIndex(selected);
  }

  TDirectoryListBox& list_;
  std::shared_ptr<const TPicture> onTheWay_, current_, subfolder_;
  std::vector<std::string> shown_;
};

// ---------------------------------------------------------------------------

class FileListPeer final : public WindowedPeer {
 public:
  FileListPeer(PeerContext& context, TFileListBox& list, HWND parent, int id)
      : WindowedPeer(context, list),
        list_(list),
        executable_(context.pictures.Load(skin::kExecutable)),
        folder_(context.pictures.Load(skin::kClosedFolder)),
        unknown_(context.pictures.Load(skin::kUnknownFile)) {
    CreateOwnerDrawnList(list.ItemHeight(), parent, id);
  }

  void Command(WORD code) override {
    if (code != LBN_SELCHANGE) return;
    Dispatch(
        [this] { list_.SetSelectedIndex(static_cast<int>(::SendMessageA(Hwnd(), LB_GETCURSEL, 0, 0))); });
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    const ItemColours colours = ColoursOf(item, list_);
    FillArea(item.hDC, item.rcItem, colours.back);
    const int index = static_cast<int>(item.itemID);
    if (item.itemID != static_cast<UINT>(-1) && list_.HasWindow() && index < list_.ItemCount()) {
      int textLeft = item.rcItem.left + 2;
      const std::shared_ptr<const TPicture>* picture = GlyphOf(list_.ItemGlyph(index));
      if (list_.ShowGlyphs() && picture) {
        const TransparentGlyph& glyph = context_.gdi.Glyph(*picture);
        glyph.Draw(item.hDC, item.rcItem.left + 2,
                   (item.rcItem.top + item.rcItem.bottom - glyph.Height()) / 2);
        textLeft = item.rcItem.left + glyph.Width() + 6;
      }
      DrawItemText(item.hDC, context_.gdi.Font(list_.Font()), colours.text, textLeft, item.rcItem.top,
                   list_.Item(index));
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return true;
  }

  HBRUSH ControlColor(HDC dc) override {
    ::SetBkColor(dc, ColorRef(list_.Color()));
    return context_.gdi.Brush(list_.Color());
  }

 protected:
  void SyncContent() override {
    if (!list_.HasWindow()) return;
    std::vector<std::string> wanted;
    for (int index = 0; index < list_.ItemCount(); ++index)
      wanted.push_back(list_.Item(index) + '\n' + std::to_string(static_cast<int>(list_.ItemGlyph(index))));
    Refill(Hwnd(), shown_, std::move(wanted), LB_RESETCONTENT, LB_ADDSTRING, [this](UINT add) {
      for (int index = 0; index < list_.ItemCount(); ++index)
        ::SendMessageA(Hwnd(), add, 0, reinterpret_cast<LPARAM>(list_.Item(index).c_str()));
    });
    SelectItem(Hwnd(), list_.SelectedIndex());
  }

 private:
  const std::shared_ptr<const TPicture>* GlyphOf(FileGlyph glyph) const {
    switch (glyph) {
      case FileGlyph::Executable:
        return &executable_;
      case FileGlyph::ClosedFolder:
        return &folder_;
      case FileGlyph::UnknownFile:
        return &unknown_;
      case FileGlyph::None:
        break;
    }
    return nullptr;
  }

  TFileListBox& list_;
  std::shared_ptr<const TPicture> executable_, folder_, unknown_;
  std::vector<std::string> shown_;
};

// ---------------------------------------------------------------------------

class DriveComboPeer final : public WindowedPeer {
 public:
  DriveComboPeer(PeerContext& context, TDriveComboBox& combo, HWND parent, int id)
      : WindowedPeer(context, combo), combo_(combo) {
    const char* names[] = {skin::kFloppy, skin::kHard, skin::kNetwork, skin::kCdRom, skin::kRam};
    for (const char* name : names)
      glyphs_.push_back(context.pictures.Load(name));
    CreateControl("COMBOBOX", 0, "",
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST |
                      CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                  combo.Left(), combo.Top(), combo.Width(), combo.Height() + kDropDownHeight, parent, id);
    const HFONT font = context.gdi.Font(combo.Font());
    ::SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The line height of the font, but at least a glyph's height.
    int itemHeight = glyphs_.front()->height;
    {
      ClientDC dc(Hwnd());
      Selection selected(dc.get(), font);
      TEXTMETRICA metrics{};
      if (::GetTextMetricsA(dc.get(), &metrics)) itemHeight = std::max<int>(itemHeight, metrics.tmHeight);
    }
    ::SendMessageA(Hwnd(), CB_SETITEMHEIGHT, 0, itemHeight);
  }

  void Command(WORD code) override {
    if (code != CBN_SELCHANGE) return;
    Dispatch(
        [this] { combo_.SetSelectedIndex(static_cast<int>(::SendMessageA(Hwnd(), CB_GETCURSEL, 0, 0))); });
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    const ItemColours colours = ColoursOf(item, combo_);
    FillArea(item.hDC, item.rcItem, colours.back);
    const int index = static_cast<int>(item.itemID);
    if (item.itemID != static_cast<UINT>(-1) && combo_.HasWindow() && index < combo_.ItemCount()) {
      const TransparentGlyph& glyph =
          context_.gdi.Glyph(glyphs_[static_cast<std::size_t>(combo_.ItemGlyph(index))]);
      glyph.Draw(item.hDC, item.rcItem.left + 2, (item.rcItem.top + item.rcItem.bottom - glyph.Height()) / 2);
      RECT text = item.rcItem;
      text.left += glyph.Width() + 6;
      Selection selected(item.hDC, context_.gdi.Font(combo_.Font()));
      const int mode = ::SetBkMode(item.hDC, TRANSPARENT);
      const COLORREF previous = ::SetTextColor(item.hDC, colours.text);
      const std::string& label = combo_.Item(index);
      ::DrawTextA(item.hDC, label.c_str(), static_cast<int>(label.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      ::SetTextColor(item.hDC, previous);
      ::SetBkMode(item.hDC, mode);
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
    return true;
  }

 protected:
  void SyncContent() override {
    if (!combo_.HasWindow()) return;
    std::vector<std::string> wanted;
    for (int index = 0; index < combo_.ItemCount(); ++index)
      wanted.push_back(combo_.Item(index) + '\n' + std::to_string(static_cast<int>(combo_.ItemGlyph(index))));
    Refill(Hwnd(), shown_, std::move(wanted), CB_RESETCONTENT, CB_ADDSTRING, [this](UINT add) {
      for (int index = 0; index < combo_.ItemCount(); ++index)
        ::SendMessageA(Hwnd(), add, 0, reinterpret_cast<LPARAM>(combo_.Item(index).c_str()));
    });
    const int selected = combo_.SelectedIndex();
    if (static_cast<int>(::SendMessageA(Hwnd(), CB_GETCURSEL, 0, 0)) != selected)
      ::SendMessageA(Hwnd(), CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  }
  void SyncBounds() override {
    ::MoveWindow(Hwnd(), combo_.Left(), combo_.Top(), combo_.Width(), combo_.Height() + kDropDownHeight,
                 TRUE);
  }

 private:
  TDriveComboBox& combo_;
  std::vector<std::shared_ptr<const TPicture>> glyphs_;  // by DriveGlyph
  std::vector<std::string> shown_;
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

void WindowedPeer::CreateOwnerDrawnList(int itemHeight, HWND parent, int id) {
  CreateControl("LISTBOX", WS_EX_CLIENTEDGE, "",
                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPSIBLINGS | LBS_OWNERDRAWFIXED |
                    LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                control_.Left(), control_.Top(), control_.Width(), control_.Height(), parent, id);
  ::SendMessageA(Hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(context_.gdi.Font(control_.Font())), FALSE);
  ::SendMessageA(Hwnd(), LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight, 0));
}

void WindowedPeer::SyncBounds() {
  ::MoveWindow(Hwnd(), control_.Left(), control_.Top(), control_.Width(), control_.Height(), TRUE);
}

void WindowedPeer::SyncAll() {
  if (!Hwnd()) return;
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
      TForm* form = FormOf(control_);
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
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
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

std::unique_ptr<WindowedPeer> CreateWindowedPeer(PeerContext& context, TWinControl& control, HWND parent,
                                                 int id) {
  std::unique_ptr<WindowedPeer> peer;
  if (auto* folders = dynamic_cast<TDirectoryListBox*>(&control))
    peer = std::make_unique<FolderListPeer>(context, *folders, parent, id);
  else if (auto* files = dynamic_cast<TFileListBox*>(&control))
    peer = std::make_unique<FileListPeer>(context, *files, parent, id);
  else if (auto* drives = dynamic_cast<TDriveComboBox*>(&control))
    peer = std::make_unique<DriveComboPeer>(context, *drives, parent, id);
  else if (auto* edit = dynamic_cast<TEdit*>(&control))
    peer = std::make_unique<EditPeer>(context, *edit, parent, id);
  else
    peer = std::make_unique<PanelPeer>(context, control, parent, id);
  control.SetPeer(peer.get());
  peer->SyncAll();
  return peer;
}

void RegisterPanelClass() {
  RegisterWindowClass(kPanelClass, 0, ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)), nullptr);
}

}  // namespace pix::win32
