// The application-wide mouse pointer, which long work turns into the
// hourglass. The window layer provides the real one.
#pragma once

#include "core/PictureFolder.h"

namespace pix {

enum class PointerShape { Default, HourGlass };

class ScreenPointer {
 public:
  virtual ~ScreenPointer() = default;
  virtual PointerShape Shape() const = 0;
  virtual void SetShape(PointerShape shape) = 0;
};

// Long work in the core shows the hourglass on this pointer, and then puts
// back the shape that was there before.
class PointerBusyIndicator final : public BusyIndicator {
 public:
  explicit PointerBusyIndicator(ScreenPointer& pointer) : pointer_(pointer) {}
  void BeginBusy() override {
    saved_ = pointer_.Shape();
    pointer_.SetShape(PointerShape::HourGlass);
  }
  void EndBusy() override { pointer_.SetShape(saved_); }

 private:
  ScreenPointer& pointer_;
  PointerShape saved_ = PointerShape::Default;
};

}  // namespace pix
