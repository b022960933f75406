// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>

#include "timers/clock.h"
#include "timers/timer_scheduler.h"

namespace velmo {

// A clock that moves only when told to.
class VirtualClock final : public Clock {
 public:
  Instant now() const override { return now_; }
  void set(Instant instant) { now_ = instant; }

 private:
  Instant now_{0};
};

// A virtual clock with its scheduler, for tests: advance() runs every
// countdown that comes due on the way, each at its own due instant, in order.
class VirtualTimeline {
 public:
  VirtualTimeline() : scheduler_(clock_) {}

  TimerScheduler& scheduler() { return scheduler_; }
  const Clock& clock() const { return clock_; }
  Instant now() const { return clock_.now(); }

  // Milliseconds since the timeline began.
  long long elapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now()).count();
  }

  void advance(std::chrono::nanoseconds by) {
    const Instant target = clock_.now() + by;
    while (auto due = scheduler_.nextDue()) {
      if (*due > target) break;
      clock_.set(std::max(*due, clock_.now()));
      scheduler_.runDue();
    }
    clock_.set(target);
  }

  // Moves the clock on by `by` without running anything, as when the program
  // is held up: the next advance() runs what came due meanwhile, late, at the
  // instant the stall ended.
  void stall(std::chrono::nanoseconds by) { clock_.set(clock_.now() + by); }

 private:
  VirtualClock clock_;
  TimerScheduler scheduler_;
};

}  // namespace velmo
