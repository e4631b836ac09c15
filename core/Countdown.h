// The selection mode, the start delay's rule and the countdown that runs it
// down one step per timer event.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace pix {

// How the countdown picks its picture. Any other value (a hand-edited
// settings file) is kept as it is and picks nothing.
using SelectionMode = std::int32_t;
inline constexpr SelectionMode kRandomMode = 0;
inline constexpr SelectionMode kSequenceMode = 1;          // one after another, not yet advanced in this run
inline constexpr SelectionMode kSequenceAdvancedMode = 2;  // one after another, advanced in this run

inline bool IsSequenceMode(SelectionMode mode) {
  return mode == kSequenceMode || mode == kSequenceAdvancedMode;
}
// The mode after a press on the random switch, and on the sequence switch:
// each switches only away from the other's mode.
inline SelectionMode AfterRandomSwitch(SelectionMode mode) {
  return IsSequenceMode(mode) ? kRandomMode : mode;
}
inline SelectionMode AfterSequenceSwitch(SelectionMode mode) {
  return mode == kRandomMode ? kSequenceMode : mode;
}
// The mode as line 3 of the settings file keeps it: the advance within a
// run is not saved, and an odd mode is kept as it was.
std::string SavedModeText(SelectionMode mode);

// The delay an Enter in the delay editor commits: a reading of 0 switches
// the automatic run off ("0"), any other reading below 50 becomes "50", and
// a text that reads 50 or more stays exactly as typed.
std::string CommittedDelay(const std::string& typed);

enum class StepOutcome : std::uint8_t {
  Ignored,          // no new millisecond since the last step: not a step
  Stopped,          // nothing (left) to count: the countdown ends, no picture
  AdvanceSequence,  // the first step in the sequence mode: advance, don't count
  Counted,          // one less to go
  Install,          // the last step: install the picture and end
  Idle,             // an odd mode: the step does nothing
};

class Countdown {
 public:
  // The value the delay label shows: the steps still to go, as text, read
  // with the lenient integer rule at every step.
  const std::string& Value() const { return value_; }
  void SetValue(std::string value) { value_ = std::move(value); }

  // One timer event at the clock's millisecond reading.
  StepOutcome Step(std::uint16_t millisecond, SelectionMode mode);

 private:
  std::string value_ = "0";
  std::uint16_t lastMillisecond_ = 0;
};

}  // namespace pix
