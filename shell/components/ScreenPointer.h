// The application-wide mouse pointer, which long work turns into the
// hourglass. The window layer provides the real one.
#pragma once

namespace pix {

enum class PointerShape { Default, HourGlass };

class ScreenPointer {
 public:
  virtual ~ScreenPointer() = default;
  virtual PointerShape Shape() const = 0;
  virtual void SetShape(PointerShape shape) = 0;
};

// Shows the hourglass from the moment it is asked for until the work ends,
// and then puts back the shape that was there before.
class BusyPointer {
 public:
  explicit BusyPointer(ScreenPointer* pointer)
      : pointer_(pointer), saved_(pointer ? pointer->Shape() : PointerShape::Default) {}
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
  ~BusyPointer() {
    if (pointer_ && busy_) pointer_->SetShape(saved_);
  }
  void ShowHourGlass() {
    if (!pointer_ || busy_) return;
    busy_ = true;
    pointer_->SetShape(PointerShape::HourGlass);
  }

 private:
  ScreenPointer* pointer_;  // not owned
  PointerShape saved_;
  bool busy_ = false;
};

}  // namespace pix
