#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#include "platform/clock.h"

namespace velmo {

class WindowTimer;

// Runs the countdowns of window timers on one thread, in order of due time;
// countdowns due at the same instant run in the order they were started.
// A driver (the virtual timeline in tests, the real-time driver on the Qt
// event loop) calls runDue() when nextDue() has come.
class TimerScheduler {
 public:
  explicit TimerScheduler(const Clock& clock);
  TimerScheduler(const TimerScheduler&) = delete;
  TimerScheduler& operator=(const TimerScheduler&) = delete;

  const Clock& clock() const { return clock_; }

  // Due instant of the earliest running countdown, if any.
  std::optional<Instant> nextDue() const;

  // Runs every countdown due at clock().now(). What is due is collected
  // before the first handler runs: a countdown started by a handler never
  // runs in the same pass, and one stopped by an earlier handler of the pass
  // does not run. Exceptions from handlers propagate to the caller.
  void runDue();

  // Called whenever nextDue() may have changed, so a driver can re-arm.
  void setScheduleChanged(std::function<void()> callback);

  // The instant a countdown started now counts from: the due instant of the
  // handler that is running (drift-free cascades), otherwise now. A countdown
  // that would already be overdue from there starts from now instead.
  Instant countdownStart(std::chrono::milliseconds interval) const;

 private:
  friend class WindowTimer;
  struct Entry {
    Instant due;
    std::uint64_t sequence;
    WindowTimer* timer;
    auto operator<=>(const Entry& other) const {
      return std::tie(due, sequence) <=> std::tie(other.due, other.sequence);
    }
    bool operator==(const Entry& other) const = default;
  };

  // Starts (or restarts) the countdown of timer, due at `due`.
  void arm(WindowTimer& timer, Instant due);
  void disarm(WindowTimer& timer);
  void notifyChanged() const;

  const Clock& clock_;
  std::set<Entry> countdowns_;
  std::uint64_t nextSequence_ = 0;
  std::optional<Instant> runningDue_;
  std::function<void()> scheduleChanged_;
};

}  // namespace velmo
