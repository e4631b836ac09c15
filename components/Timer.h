// The timer component. Its ticks come from the platform's timer, which a
// TimerService starts and stops; every tick calls OnTimer once.
#pragma once

#include <string>

#include "components/Controls.h"

namespace pix {

class TTimer;

// The platform's timers (SetTimer and KillTimer on a window of the timer's own).
class TimerService {
 public:
  virtual ~TimerService() = default;
  // Starts (or restarts with the full interval) the timer; false when the
  // system has no timer left.
  virtual bool StartTimer(TTimer& timer, unsigned intervalMs) = 0;
  virtual void StopTimer(TTimer& timer) = 0;
};

class TTimer : public TObject {
 public:
  explicit TTimer(std::string name) : name_(std::move(name)) {}
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  ~TTimer() override;

  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  void SetOnTimer(TNotifyEvent handler);

  // Connects the timer to the platform; from then on it runs while enabled.
  void Attach(TimerService& service);
  // Input from the platform: one tick. Calls the handler whether or not the
  // timer is still enabled, as every tick that reached the timer does.
  void Tick() {
    if (onTimer_) onTimer_(this);
  }

 private:
  // Any change stops the system timer, then starts it anew when the timer
  // should run; raises EOutOfResources when no timer is left.
  void Update();

  std::string name_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
  TNotifyEvent onTimer_;
  TimerService* service_ = nullptr;  // not owned
};

}  // namespace pix
