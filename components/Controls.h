// The program's component layer: plain objects that hold a window's state
// (places, sizes, texts, pictures, enabled flags) and raise its events. A
// window backend mirrors them onto real windows through ControlPeer and
// feeds user input back through the entry points marked "input"; on the
// host the same objects run headless, so every handler can be tested there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/Picture.h"

namespace pix {

class TObject {
 public:
  virtual ~TObject() = default;
};

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Shift state of a mouse or key event, as bits.
struct TShiftState {
  static constexpr std::uint8_t ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                                ssDouble = 64;
  std::uint8_t bits = 0;
  constexpr bool Has(std::uint8_t bit) const { return (bits & bit) != 0; }
  constexpr bool operator==(const TShiftState&) const = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;

// Colours as 0x00BBGGRR, or a system colour (the high bit set, the index of
// the system colour in the low byte).
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clInfoText = 0x80000017;
inline constexpr TColor clInfoBk = 0x80000018;

struct TFont {
  std::string name = "MS Sans Serif";
  int height = -11;  // character height in pixels, negative as the platform takes it
  TColor color = clWindowText;
  bool operator==(const TFont&) const = default;
};

class TControl;
class TWinControl;
class TForm;
class TImage;
class TLabel;
class TPanel;
class TEdit;
class TListControl;

// What a control tells the window that mirrors it.
enum class ControlChange : std::uint8_t {
  Bounds,   // Left, Top, Width or Height
  Enabled,  // Enabled
  Content,  // caption, text, picture or items
  Focus,    // the control asked for the keyboard focus
  SelectAll,
};

// The backend's mirror of one control (not owned by the control).
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void Changed(TControl& control, ControlChange change) = 0;
  // The window handle, as a number (0 for a control without a window).
  virtual std::uintptr_t Handle() const { return 0; }
};

// What a backend does for each kind of component: make its mirror. Each
// component names its own kind, so the backend never guesses at types.
class PeerFactory {
 public:
  virtual ~PeerFactory() = default;
  virtual void MakeImagePeer(TImage& image) = 0;
  virtual void MakeLabelPeer(TLabel& label) = 0;
  virtual void MakePanelPeer(TPanel& panel) = 0;
  virtual void MakeEditPeer(TEdit& edit) = 0;
  virtual void MakeListPeer(TListControl& list) = 0;
};

class TControl : public TObject {
 public:
  TControl(std::string name, TWinControl* parent, int left, int top, int width, int height);
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::string& Name() const { return name_; }
  TWinControl* Parent() const { return parent_; }
  virtual bool IsWindowed() const { return false; }
  // The form the control stands on, through its parents (itself for a form).
  TForm* Form();
  virtual TForm* AsForm() { return nullptr; }
  // Asks the backend for this kind's mirror.
  virtual void CreatePeer(PeerFactory& factory) = 0;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  void SetBounds(int left, int top, int width, int height);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Hints: a control shows its hint where its own ShowHint is on; while
  // ParentShowHint is on, ShowHint follows the parent's.
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint) { hint_ = std::move(hint); }
  bool ShowHint() const;
  void SetShowHint(bool show) {
    showHint_ = show;
    parentShowHint_ = false;
  }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool follow) { parentShowHint_ = follow; }

  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // Input from the backend, with the position inside the control.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  void SetPeer(ControlPeer* peer) { peer_ = peer; }
  ControlPeer* Peer() const { return peer_; }
  std::uintptr_t WindowHandle() const { return peer_ ? peer_->Handle() : 0; }

 protected:
  void Notify(ControlChange change) {
    if (peer_) peer_->Changed(*this, change);
  }

 private:
  std::string name_;
  TWinControl* parent_;  // not owned
  int left_, top_, width_, height_;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  ControlPeer* peer_ = nullptr;  // not owned
};

// A control drawn on its parent's surface: pictures and labels.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
};

class TImage : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void CreatePeer(PeerFactory& factory) override { factory.MakeImagePeer(*this); }
  const std::shared_ptr<const TPicture>& Picture() const { return picture_; }
  // With AutoSize on (as for every picture of the program) the control takes
  // the picture's size.
  void SetPicture(std::shared_ptr<const TPicture> picture);
  // The picture of another image, which keeps its own.
  void CopyPictureFrom(const TImage& other) { SetPicture(other.picture_); }
  bool AutoSize() const { return autoSize_; }

 private:
  std::shared_ptr<const TPicture> picture_;
  bool autoSize_ = true;
};

class TLabel : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void CreatePeer(PeerFactory& factory) override { factory.MakeLabelPeer(*this); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }
  const TFont& Font() const { return font_; }

 private:
  std::string caption_;
  bool transparent_ = false;
  TFont font_;
};

// A control with a window of its own: it can hold the keyboard focus and
// contain other controls.
class TWinControl : public TControl {
 public:
  using TControl::TControl;
  bool IsWindowed() const override { return true; }

  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  virtual bool TabStop() const { return true; }
  // Enabled and visible through all its parents.
  bool CanFocus() const;
  void SetFocus();

  TKeyEvent OnKeyDown;
  // Input from the backend: a key went down while the control had the focus.
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  // Input from the backend: the control's window now exists.
  virtual void WindowCreated() {}

  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font) { font_ = font; }

 private:
  int tabOrder_ = 0;
  TColor color_ = clWindow;
  TFont font_;
};

enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };

class TEdit : public TWinControl {
 public:
  TEdit(std::string name, TWinControl* parent, int left, int top, int width, int height, std::string text);
  void CreatePeer(PeerFactory& factory) override { factory.MakeEditPeer(*this); }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // Input from the backend: the user edited the text.
  void TextEdited(std::string text);
  // The user edited the text (not the program's own SetText).
  TNotifyEvent OnEdited;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
  void SelectAll() { Notify(ControlChange::SelectAll); }

 private:
  std::string text_;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
};

// A frameless holder of other controls.
class TPanel : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void CreatePeer(PeerFactory& factory) override { factory.MakePanelPeer(*this); }
  bool TabStop() const override { return false; }
};

// What an owner-drawn list shows of one item: its text, a glyph (a skin
// picture's name, or none) and where both stand.
struct ListItemView {
  std::string text;
  const char* glyph = nullptr;
  int glyphLeft = 0;  // from the item's left edge
  int textLeft = 0;
};

// A list whose items the backend shows in an owner-drawn list box and whose
// selection, double click and typed keys come back as input.
class TListControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void CreatePeer(PeerFactory& factory) override { factory.MakeListPeer(*this); }

  virtual int ItemHeight() const = 0;
  // The items exist only once the list has a window (WindowCreated).
  virtual bool HasItems() const = 0;
  virtual int ItemCount() = 0;
  virtual ListItemView ItemView(int index) = 0;
  virtual int SelectedIndex() = 0;
  // Input from the backend: the user moved the highlight.
  virtual void SetSelectedIndex(int index) = 0;
  // Input from the backend: a double click, or Enter, on the highlight.
  virtual void OpenSelected() {}
  // Input from the backend: a typed character; gives whether the list took it.
  virtual bool KeyPress(char) { return false; }
};

}  // namespace pix
