// SPDX-License-Identifier: GPL-3.0-or-later
#include "timers/window_timer.h"

#include <string>

#include "system/run_time_error.h"

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
  if (interval_ == 0) {
    scheduler_.disarm(*this);
  } else if (enabled_ && !countdown_) {
    start();  // it was enabled with interval 0: it starts counting once it has one
  }
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
  scheduler_.arm(*this, std::chrono::milliseconds{interval_});
}

void WindowTimer::fire() {
  // A timer that stays enabled counts its next interval from the same base as
  // the countdowns its handler starts; the handler may stop or restart it.
  start();
  handler_();
}

}  // namespace velmo
