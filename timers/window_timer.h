// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "timers/timer_scheduler.h"

namespace velmo {

// A window timer: while enabled, calls its handler every interval on the
// scheduler's thread.
//  - enabled going from false to true starts a countdown of the full interval;
//    setting true on an enabled timer leaves its countdown running;
//  - false stops the countdown; interval 0 never fires;
//  - after it fires, the next countdown counts from the instant it was due,
//    or with its handler's countdowns from now after a stall (TimerScheduler).
class WindowTimer {
 public:
  static constexpr long long kMaxInterval = 65535;

  WindowTimer(TimerScheduler& scheduler, std::function<void()> handler);
  ~WindowTimer();
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  // Whole milliseconds, 0..65535. Throws InvalidPropertyValue outside that
  // range and leaves the timer as it was. A running countdown keeps its due
  // instant; the new interval applies from the next countdown.
  void setInterval(long long milliseconds);
  int interval() const { return interval_; }

  void setEnabled(bool enabled);
  bool enabled() const { return enabled_; }

 private:
  friend class TimerScheduler;
  void start();
  void fire();

  TimerScheduler& scheduler_;
  std::function<void()> handler_;
  int interval_ = 0;
  bool enabled_ = false;
  std::optional<TimerScheduler::Entry> countdown_;
};

}  // namespace velmo
