// SPDX-License-Identifier: GPL-3.0-or-later
#include "timers/timer_scheduler.h"

#include <cmath>
#include <vector>

#include "timers/window_timer.h"

namespace velmo {

TimerScheduler::TimerScheduler(const Clock& clock) : clock_(clock) {}

std::optional<Instant> TimerScheduler::nextDue() const {
  if (countdowns_.empty()) return std::nullopt;
  return countdowns_.begin()->due;
}

void TimerScheduler::setScheduleChanged(std::function<void()> callback) {
  scheduleChanged_ = std::move(callback);
}

void TimerScheduler::arm(WindowTimer& timer, std::chrono::milliseconds interval) {
  if (timer.countdown_) countdowns_.erase(*timer.countdown_);
  const auto scaled = Instant{std::llround(static_cast<double>(Instant{interval}.count()) / rate_)};
  insert(timer, Entry{countdownBase() + scaled, nextSequence_++, &timer});
  notifyChanged();
}

void TimerScheduler::setRate(double rate) {
  if (handlerRunning_ || passRunning_) {
    pendingRate_ = rate;  // a pass must not see its due countdowns move
    return;
  }
  pendingRate_.reset();
  if (rate == rate_) return;
  const double stretch = rate_ / rate;
  rate_ = rate;
  if (countdowns_.empty()) return;
  const Instant pivot = countdowns_.begin()->due;
  std::vector<Entry> running(countdowns_.begin(), countdowns_.end());
  countdowns_.clear();
  for (Entry entry : running) {
    const double after = static_cast<double>((entry.due - pivot).count()) * stretch;
    entry.due = pivot + Instant{std::llround(after)};
    insert(*entry.timer, entry);
  }
  notifyChanged();
}

void TimerScheduler::insert(WindowTimer& timer, Entry entry) {
  timer.countdown_ = entry;
  countdowns_.insert(entry);
}

void TimerScheduler::disarm(WindowTimer& timer) {
  if (!timer.countdown_) return;
  countdowns_.erase(*timer.countdown_);
  timer.countdown_.reset();
  notifyChanged();
}

void TimerScheduler::runDue() {
  const Instant now = clock_.now();
  std::vector<Entry> due;
  for (const Entry& entry : countdowns_) {
    if (entry.due > now) break;
    due.push_back(entry);
  }
  struct PassEnd {
    TimerScheduler& scheduler;
    ~PassEnd() {
      scheduler.passRunning_ = false;
      scheduler.applyPendingRate();
    }
  } passEnd{*this};
  passRunning_ = true;
  for (const Entry& entry : due) {
    // Skip countdowns stopped or restarted by an earlier handler of this pass
    // (sequences are unique), without touching a timer that handler destroyed.
    if (!countdowns_.contains(entry)) continue;
    runFrom(entry.due, [&] { entry.timer->fire(); });
  }
}

void TimerScheduler::applyPendingRate() {
  if (pendingRate_ && !handlerRunning_ && !passRunning_) setRate(*pendingRate_);
}

Instant TimerScheduler::countdownBase() {
  if (!runningDue_) {
    const Instant now = clock_.now();
    if (!handlerRunning_) return now;
    runningDue_ = now;  // the first countdown a click starts sets the base
  }
  return *runningDue_;
}

void TimerScheduler::runHandler(const std::function<void()>& handler) {
  // Within a countdown's handler, its due instant stays the base.
  if (handlerRunning_) return handler();
  struct HandlerEnd {
    TimerScheduler& scheduler;
    ~HandlerEnd() { scheduler.applyPendingRate(); }
  } handlerEnd{*this};
  runFrom(std::nullopt, handler);
}

void TimerScheduler::runFrom(std::optional<Instant> base, const std::function<void()>& handler) {
  struct RunningReset {
    TimerScheduler& scheduler;
    ~RunningReset() {
      scheduler.runningDue_.reset();
      scheduler.handlerRunning_ = false;
    }
  } reset{*this};
  handlerRunning_ = true;
  runningDue_ = base;
  const std::uint64_t firstStarted = nextSequence_;
  handler();
  resyncIfOverdue(firstStarted);
}

void TimerScheduler::resyncIfOverdue(std::uint64_t firstStarted) {
  // Sequences are unique and increase, so these are exactly the countdowns
  // the handler started and did not stop, restart or destroy with its timer.
  std::vector<Entry> started;
  for (const Entry& entry : countdowns_) {
    if (entry.sequence >= firstStarted) started.push_back(entry);
  }
  const Instant now = clock_.now();
  // The earliest started countdown is the first one collected; with one
  // started, the base is known.
  if (started.empty() || started.front().due >= now) return;
  const Instant lateness = now - *runningDue_;
  for (Entry entry : started) {
    countdowns_.erase(entry);
    entry.due += lateness;
    insert(*entry.timer, entry);
  }
  notifyChanged();
}

void TimerScheduler::notifyChanged() const {
  if (scheduleChanged_) scheduleChanged_();
}

}  // namespace velmo
