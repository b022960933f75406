// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "system/file_descriptor.h"
#include "timers/clock.h"
#include "timers/timer_scheduler.h"

class QSocketNotifier;

namespace velmo::qt {

// Window timers on CLOCK_MONOTONIC, driven from the Qt event loop: the
// driver owns a TimerScheduler on a MonotonicClock and runs its countdowns
// from a timerfd armed at the absolute due instant of the next one (with an
// early wake-up shortly before it, so the last sleep is short), so handlers
// run within a fraction of a millisecond of being due and nothing runs while
// nothing is due.
// Handlers run through runGuarded; after a handler has failed the driver
// stops, so nothing else runs while the fatal error is reported.
// Needs a QCoreApplication, and runs on its thread. Throws RunTimeError if
// the timerfd cannot be created.
class RealTimeTimerDriver : public QObject {
 public:
  explicit RealTimeTimerDriver(QObject* parent = nullptr);
  ~RealTimeTimerDriver() override;

  // The scheduler the window timers run on. Its timers must be gone before
  // the driver.
  TimerScheduler& scheduler() { return scheduler_; }

  // Called at every wake-up, before the handlers due run, with the instant
  // the timerfd was armed for; a benchmark stamps the wake-up there. An
  // empty function (the default) removes it.
  using WakeObserver = std::function<void(Instant armedFor)>;
  void setWakeObserver(WakeObserver observer) { wakeObserver_ = std::move(observer); }

 private:
  void rearm();
  void onWake();
  // Arms the timerfd for due: early first when due is far enough ahead.
  void setTimer(std::optional<Instant> due);
  // Sets the timerfd to go off at alarm, or disarms it.
  void setAlarm(std::optional<Instant> alarm);

  MonotonicClock clock_;
  TimerScheduler scheduler_{clock_};
  FileDescriptor timer_;
  QSocketNotifier* notifier_ = nullptr;
  // The due instant the timerfd is armed for, so a schedule change that
  // leaves the earliest due instant where it was costs no system call.
  std::optional<Instant> armedAt_;
  // While a pass of handlers runs, schedule changes are collected into the
  // one re-arm that follows the pass.
  bool running_ = false;
  WakeObserver wakeObserver_;
};

}  // namespace velmo::qt
