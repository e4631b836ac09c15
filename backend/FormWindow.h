// The window of a form: a borderless pop-up owned by the application window.
// It paints the pictures and labels itself, in creation order, holds the
// windows of the windowed components above them, and gives mouse presses and
// releases to the picture under the cursor (the pressed one while a left
// press holds the mouse).
#pragma once

#include <windows.h>

#include "platform/win32/NoNameMacros.h"

#include <memory>
#include <vector>

#include "backend/ControlPeers.h"
#include "backend/Window.h"
#include "components/Form.h"

namespace pix::win32 {

// What a form window asks of the application.
class FormHost {
 public:
  virtual ~FormHost() = default;
  // The form was closed (Alt+F4, the taskbar's Close).
  virtual void FormClosed(TForm& form) = 0;
  virtual void MinimizeRequested() = 0;
};

class FormWindow final : public Window, public ControlPeer, private PeerFactory {
 public:
  FormWindow(PeerContext& context, FormHost& host, TForm& form, HWND owner, HICON icon);
  ~FormWindow() override;

  TForm& Form() const { return form_; }
  void Changed(TControl& control, ControlChange change) override;
  std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(Hwnd()); }

  // The file widgets get their windows, and with them their items.
  void CreateHandles();
  // Shows the window, maximized or normal; the first show centres it on the
  // primary display.
  void Show(bool maximized);
  bool EverShown() const { return everShown_; }

  // A component's place in the window's pixels.
  RECT Bounds(const TControl& control) const;

  // The topmost component at a point of the screen, disabled ones included,
  // given the deepest of this form's windows there.
  TControl* ControlAt(HWND window, POINT screen) const;

 private:
  class GraphicPeer;
  class ImagePeer;
  class LabelPeer;

  // PeerFactory: the mirrors of the form's components, in creation order.
  void MakeImagePeer(TImage& image) override;
  void MakeLabelPeer(TLabel& label) override;
  void MakePanelPeer(TPanel& panel) override;
  void MakeEditPeer(TEdit& edit) override;
  void MakeListPeer(TListControl& list) override;
  // The window a windowed component's window is a child of.
  HWND ParentWindowOf(const TControl& control) const;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  TControl* GraphicAt(int x, int y, bool enabledOnly) const;
  void Press(TMouseButton button, bool twice, WPARAM wParam, LPARAM lParam);
  void Release(TMouseButton button, WPARAM wParam, LPARAM lParam);
  void CancelHeldButton();
  void RestoreFocus();
  void Invalidate(const RECT& area);
  // Lays the window out anew at the display's new scale, at the place the
  // platform suggests (a move to a display of another scale).
  void Rescale(int dpi, const RECT& suggested);
  DisplayScale& Scale() const { return context_.gdi.Scale(); }
  void Dispatch(const std::function<void()>& work) { context_.application.Dispatch(work); }

  PeerContext& context_;
  FormHost& host_;
  TForm& form_;
  std::vector<std::unique_ptr<GraphicPeer>> graphics_;
  std::vector<std::unique_ptr<WindowedPeer>> windows_;
  int nextId_ = 0;            // the child window id of the component being mirrored
  TControl* held_ = nullptr;  // the picture that a left press holds the mouse for
  bool everShown_ = false;
};

// The window class of the forms.
void RegisterFormClass(HICON icon);

}  // namespace pix::win32
