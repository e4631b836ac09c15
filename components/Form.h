// A top-level window and the components it owns.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

#include "components/Controls.h"
#include "components/Timer.h"

namespace pix {

class TApplication;

enum class TPosition : std::uint8_t { poDesigned, poScreenCenter };

class TForm : public TWinControl {
 public:
  TForm(TApplication& application, std::string name, int left, int top, int width, int height);

  TForm* AsForm() override { return this; }
  // The form's own window is the backend's to make, before its components'.
  void CreatePeer(PeerFactory&) override {}

  TApplication& Application() const { return application_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }

  // The components in the order they were created: the order of painting
  // for the pictures and labels, and of the windows' z-order.
  const std::vector<TControl*>& Components() const { return components_; }
  const std::vector<TTimer*>& Timers() const { return timers_; }
  TControl* FindComponent(const std::string& name) const;

  // The keyboard focus, as the form keeps it.
  TWinControl* ActiveControl() const { return activeControl_; }
  void FocusControl(TWinControl* control);
  // The next control in tab order that can take the focus (wrapping round).
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;
  // Input from the backend: the Tab key moves the focus.
  void SelectNext(bool forward);

  // Runs once the window and its components exist.
  TNotifyEvent OnCreate;

 protected:
  template <class Component>
  Component& Insert(Component& component) {
    if constexpr (std::is_base_of_v<TControl, Component>) {
      components_.push_back(&component);
    } else {
      timers_.push_back(&component);
    }
    return component;
  }

 private:
  TApplication& application_;
  std::string caption_;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TPosition position_ = TPosition::poDesigned;
  std::vector<TControl*> components_;  // not owned: fields of the derived form
  std::vector<TTimer*> timers_;        // not owned
  TWinControl* activeControl_ = nullptr;
};

}  // namespace pix
