#include "components/Controls.h"

#include "components/Form.h"

namespace pix {

TControl::TControl(std::string name, TWinControl* parent, int left, int top, int width, int height)
    : name_(std::move(name)), parent_(parent), left_(left), top_(top), width_(width), height_(height) {}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Notify(ControlChange::Bounds);
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify(ControlChange::Enabled);
}

bool TControl::ShowHint() const {
  if (!parentShowHint_) return showHint_;
  return parent_ != nullptr && parent_->ShowHint();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TImage::SetPicture(std::shared_ptr<const TPicture> picture) {
  picture_ = std::move(picture);
  if (autoSize_ && picture_) SetBounds(Left(), Top(), picture_->width, picture_->height);
  Notify(ControlChange::Content);
}

void TLabel::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Notify(ControlChange::Content);
}

bool TWinControl::CanFocus() const {
  for (const TControl* control = this; control != nullptr; control = control->Parent())
    if (!control->Enabled()) return false;
  return true;
}

TForm* TControl::Form() {
  TControl* top = this;
  while (top->Parent() != nullptr)
    top = top->Parent();
  return top->AsForm();
}

void TWinControl::SetFocus() {
  if (TForm* form = Form()) form->FocusControl(this);
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

TEdit::TEdit(std::string name, TWinControl* parent, int left, int top, int width, int height,
             std::string text)
    : TWinControl(std::move(name), parent, left, top, width, height), text_(std::move(text)) {}

void TEdit::TextEdited(std::string text) {
  text_ = std::move(text);
  if (OnEdited) OnEdited(this);
}

void TEdit::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  Notify(ControlChange::Content);
}

}  // namespace pix
