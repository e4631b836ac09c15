#include "components/Timer.h"

#include "settings/Errors.h"

namespace pix {

TTimer::~TTimer() {
  if (service_) service_->StopTimer(*this);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  Update();
}

void TTimer::Attach(TimerService& service) {
  service_ = &service;
  Update();
}

void TTimer::Update() {
  if (!service_) return;
  service_->StopTimer(*this);
  if (interval_ > 0 && enabled_ && onTimer_ && !service_->StartTimer(*this, interval_))
    throw EOutOfResources("Not enough timers available");
}

}  // namespace pix
