// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#include "timers/clock.h"

namespace velmo {

class WindowTimer;

// Runs the countdowns of window timers on one thread, in order of due time;
// countdowns due at the same instant run in the order they were started.
// A driver (the virtual timeline in tests, the real-time driver on the Qt
// event loop) calls runDue() when nextDue() has come.
//
// Where a countdown counts from:
//  - started outside a handler, from now;
//  - started in an event handler run through runHandler() (a click), from
//    the instant the first of them started, so a group started together
//    keeps its intervals exactly however long the handler's port writes
//    take, and none counts from before the writes that precede it;
//  - started while a countdown's handler runs (the firing timer's own next countdown
//    included), from the instant that handler was due, so cascades do not
//    creep late. When the handler returns, if any countdown it started and
//    left running would already be overdue from there (the handler ran late
//    by more than that interval), all of them count from now instead: the
//    steps of a cycle keep their interval order and resync to the late
//    instant rather than running a burst of missed ones.
class TimerScheduler {
 public:
  explicit TimerScheduler(const Clock& clock);
  TimerScheduler(const TimerScheduler&) = delete;
  TimerScheduler& operator=(const TimerScheduler&) = delete;

  const Clock& clock() const { return clock_; }

  // Due instant of the earliest running countdown, if any. While a handler
  // runs, the countdowns it started are taken as counting from its due
  // instant, the earliest they can be due once it returns.
  std::optional<Instant> nextDue() const;

  // Runs every countdown due at clock().now(). What is due is collected
  // before the first handler runs: a countdown started by a handler never
  // runs in the same pass, and one stopped by an earlier handler of the pass
  // does not run. Exceptions from handlers propagate to the caller.
  void runDue();

  // Runs an event handler that is not a countdown's (a click). Countdowns
  // it starts count from the instant the first of them started, and resync
  // as a countdown handler's do should it run longer than one of them.
  // Exceptions from handler propagate to the caller.
  void runHandler(const std::function<void()>& handler);

  // Called whenever nextDue() may have changed, so a driver can re-arm.
  void setScheduleChanged(std::function<void()> callback);

  // How fast countdowns run: an interval of I ms lasts I / rate ms (2 halves
  // every interval). The new rate holds from the earliest running countdown
  // on: that one keeps its due instant, and the time from it to each later
  // one is scaled, so no countdown jumps, none is bunched with another and
  // their order stays; countdowns started from now on count at the new rate.
  // Set while a handler runs, it takes effect once the handler (or the pass
  // of due handlers) is over. Precondition: rate > 0 and finite. The rate
  // starts at 1.
  void setRate(double rate);
  double rate() const { return pendingRate_.value_or(rate_); }

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

  // Starts (or restarts) the countdown of timer, due `interval` after the
  // instant it counts from (see above).
  void arm(WindowTimer& timer, std::chrono::milliseconds interval);
  void disarm(WindowTimer& timer);
  void insert(WindowTimer& timer, Entry entry);
  // After a handler: moves the countdowns it started (sequences from
  // firstStarted on) to count from now if any of them is overdue.
  void resyncIfOverdue(std::uint64_t firstStarted);
  // Runs handler with its countdowns counting from base, or from the
  // instant the first of them starts when base is empty.
  void runFrom(std::optional<Instant> base, const std::function<void()>& handler);
  // The instant a countdown started now counts from.
  Instant countdownBase();
  void notifyChanged() const;

  const Clock& clock_;
  std::set<Entry> countdowns_;
  std::uint64_t nextSequence_ = 0;
  bool handlerRunning_ = false;
  std::optional<Instant> runningDue_;  // the running handler's base, once known
  double rate_ = 1;
  std::optional<double> pendingRate_;  // set by a handler, for after it
  bool passRunning_ = false;           // runDue is running its handlers
  void applyPendingRate();
  std::function<void()> scheduleChanged_;
};

}  // namespace velmo
