#include "platform/timer_scheduler.h"

#include <vector>

#include "platform/window_timer.h"

namespace velmo {

TimerScheduler::TimerScheduler(const Clock& clock) : clock_(clock) {}

std::optional<Instant> TimerScheduler::nextDue() const {
  if (countdowns_.empty()) return std::nullopt;
  return countdowns_.begin()->due;
}

void TimerScheduler::setScheduleChanged(std::function<void()> callback) {
  scheduleChanged_ = std::move(callback);
}

Instant TimerScheduler::countdownStart(std::chrono::milliseconds interval) const {
  const Instant now = clock_.now();
  if (!runningDue_ || *runningDue_ + interval < now) return now;
  return *runningDue_;
}

void TimerScheduler::arm(WindowTimer& timer, Instant due) {
  if (timer.countdown_) countdowns_.erase(*timer.countdown_);
  timer.countdown_ = Entry{due, nextSequence_++, &timer};
  countdowns_.insert(*timer.countdown_);
  notifyChanged();
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
  struct RunningReset {
    std::optional<Instant>& running;
    ~RunningReset() { running.reset(); }
  } reset{runningDue_};
  for (const Entry& entry : due) {
    // Skip countdowns stopped or restarted by an earlier handler of this pass
    // (sequences are unique), without touching a timer that handler destroyed.
    if (!countdowns_.contains(entry)) continue;
    runningDue_ = entry.due;
    entry.timer->fire();
  }
}

void TimerScheduler::notifyChanged() const {
  if (scheduleChanged_) scheduleChanged_();
}

}  // namespace velmo
