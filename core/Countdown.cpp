#include "core/Countdown.h"

#include "settings/LenientInt.h"

namespace pix {

std::string SavedModeText(SelectionMode mode) {
  if (mode == kRandomMode) return "0";
  if (IsSequenceMode(mode)) return "1";
  return DecimalText(mode);
}

std::string CommittedDelay(const std::string& typed) {
  const std::int32_t delay = ParseLenientInt(typed);
  if (delay == 0) return "0";
  if (delay < 50) return "50";
  return typed;
}

StepOutcome Countdown::Step(std::uint16_t millisecond, SelectionMode mode) {
  // Timer events that come faster than the clock changes are no steps.
  if (millisecond == lastMillisecond_) return StepOutcome::Ignored;
  lastMillisecond_ = millisecond;

  if (value_ == "0") return StepOutcome::Stopped;
  if (mode == kSequenceMode) return StepOutcome::AdvanceSequence;
  if (mode != kRandomMode && mode != kSequenceAdvancedMode) return StepOutcome::Idle;

  const std::int32_t left = ParseLenientInt(value_);
  if (left <= 0) return StepOutcome::Stopped;
  if (left - 1 == 0) return StepOutcome::Install;
  value_ = DecimalText(left - 1);
  return StepOutcome::Counted;
}

}  // namespace pix
