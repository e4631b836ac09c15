// The windows of the windowed components: the panels, the edits and the
// owner-drawn lists. Each peer owns its window,
// mirrors every change of its component onto it and turns the window's
// input into the component's input calls. The parent window reflects the
// notifications of a child (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*) back to
// the child's peer.
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backend/Gdi.h"
#include "backend/Window.h"
#include "components/Application.h"
#include "components/Controls.h"

namespace pix::win32 {

// What every peer needs of the backend (none of it owned).
struct PeerContext {
  TApplication& application;
  GdiCache& gdi;
  PictureSource& pictures;
  ScreenPointer& pointer;
  MessageBoundary& boundary;
};

// The shift state of a mouse message (its wParam) and of the keyboard now.
TShiftState MouseShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

// The hourglass while the program is busy; gives whether it set the cursor.
bool SetBusyCursor(const PeerContext& context, LPARAM hitTest);

class WindowedPeer : public ControlPeer, public Window {
 public:
  WindowedPeer(PeerContext& context, TWinControl& control);
  TWinControl& Control() const { return control_; }

  void Changed(TControl& control, ControlChange change) override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(Hwnd()); }

  // Puts the component's whole state on the window.
  void SyncAll();
  // The peer of a child window of the backend, or nullptr.
  static WindowedPeer* FromHandle(HWND window);

  // Notifications of the window, reflected by its parent.
  virtual void Command(WORD) {}
  virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }
  virtual bool MeasureItem(MEASUREITEMSTRUCT&) { return false; }
  virtual HBRUSH ControlColor(HDC) { return nullptr; }

 protected:
  virtual void SyncContent() {}
  // The font (and item height) at the display's scale.
  virtual void SyncFont() {}
  virtual void SyncBounds();
  virtual void SelectAll() {}
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The component's mouse press, after the window's own handling.
  LRESULT MouseButton(UINT message, WPARAM wParam, LPARAM lParam);
  void Dispatch(const std::function<void()>& work) { context_.application.Dispatch(work); }
  const DisplayScale& Scale() const { return context_.gdi.Scale(); }

  PeerContext& context_;
  TWinControl& control_;
};

// Gives a parent's reflected notification to the child's peer; false when
// the message is none of them.
bool ReflectToChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The windows of the windowed components, each a child of `parent`; each
// peer is set on its component and shows the component's state.
std::unique_ptr<WindowedPeer> CreatePanelPeer(PeerContext& context, TPanel& panel, HWND parent, int id);
std::unique_ptr<WindowedPeer> CreateEditPeer(PeerContext& context, TEdit& edit, HWND parent, int id);
std::unique_ptr<WindowedPeer> CreateListPeer(PeerContext& context, TListControl& list, HWND parent, int id);

// The window class of the panels.
void RegisterPanelClass();

}  // namespace pix::win32
