#include "platform/window_timer.h"

#include <string>

#include "platform/run_time_error.h"

namespace velmo {

WindowTimer::WindowTimer(TimerScheduler& scheduler, std::function<void()> handler)
    : scheduler_(scheduler), handler_(std::move(handler)) {}

WindowTimer::~WindowTimer() {
  scheduler_.disarm(*this);
}

void WindowTimer::setInterval(long long milliseconds) {
  if (milliseconds < 0 || milliseconds > kMaxInterval) {
    throw InvalidPropertyValue("a timer interval must be 0 to " + std::to_string(kMaxInterval) +
                               " ms, not " + std::to_string(milliseconds));
  }
  interval_ = static_cast<int>(milliseconds);
  if (interval_ == 0) scheduler_.disarm(*this);
  // A timer that was enabled with interval 0 starts counting once it has one.
  else if (enabled_ && !countdown_)
    start();
}

void WindowTimer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_) {
    start();
  } else {
    scheduler_.disarm(*this);
  }
}

void WindowTimer::start() {
  if (interval_ == 0) return;
  const std::chrono::milliseconds interval{interval_};
  scheduler_.arm(*this, scheduler_.countdownStart(interval) + interval);
}

void WindowTimer::fire() {
  // A timer that stays enabled counts its next interval from the instant this
  // one was due; the handler may stop or restart that countdown.
  start();
  handler_();
}

}  // namespace velmo
