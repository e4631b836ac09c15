#include "components/Form.h"

#include <algorithm>

#include "settings/Errors.h"

namespace pix {

TForm::TForm(TApplication& application, std::string name, int left, int top, int width, int height)
    : TWinControl(std::move(name), nullptr, left, top, width, height), application_(application) {}

TControl* TForm::FindComponent(const std::string& name) const {
  for (TControl* control : components_)
    if (control->Name() == name) return control;
  return nullptr;
}

void TForm::FocusControl(TWinControl* control) {
  if (control != nullptr && !control->CanFocus())
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = control;
  if (control) {
    if (ControlPeer* peer = control->Peer()) peer->Changed(*control, ControlChange::Focus);
  }
}

namespace {
// The windowed controls under `parent`, depth first, each parent's children
// in tab order: the order in which Tab visits them.
void CollectTabOrder(const std::vector<TControl*>& all, const TWinControl* parent,
                     std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> children;
  for (TControl* control : all)
    if (control->IsWindowed() && control->Parent() == parent)
      children.push_back(static_cast<TWinControl*>(control));
  std::stable_sort(children.begin(), children.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* child : children) {
    out.push_back(child);
    CollectTabOrder(all, child, out);
  }
}
}  // namespace

TWinControl* TForm::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> order;
  CollectTabOrder(components_, this, order);
  if (order.empty()) return nullptr;
  const auto found = std::find(order.begin(), order.end(), current);
  const std::size_t count = order.size();
  std::size_t start =
      found == order.end() ? (forward ? count - 1 : 0) : static_cast<std::size_t>(found - order.begin());
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t index = forward ? (start + step) % count : (start + count - step) % count;
    TWinControl* candidate = order[index];
    if (candidate->TabStop() && candidate->CanFocus()) return candidate;
  }
  return nullptr;
}

void TForm::SelectNext(bool forward) {
  if (TWinControl* next = FindNextControl(activeControl_, forward)) FocusControl(next);
}

}  // namespace pix
