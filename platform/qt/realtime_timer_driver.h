#pragma once

#include <QObject>
#include <optional>

#include "platform/file_descriptor.h"
#include "platform/timer_scheduler.h"

class QSocketNotifier;

namespace velmo::qt {

// Drives a TimerScheduler from the Qt event loop with a CLOCK_MONOTONIC
// timerfd armed at the absolute due instant of the next countdown, so
// handlers run within a fraction of a millisecond of being due and nothing
// runs while nothing is due. The scheduler's clock must be a MonotonicClock
// (std::invalid_argument otherwise).
// Handlers run through runGuarded; after a handler has failed the driver
// stops, so nothing else runs while the fatal error is reported.
// Needs a QCoreApplication, and runs on its thread. Throws RunTimeError if
// the timerfd cannot be created. The driver takes the
// scheduler's schedule-changed callback for its lifetime.
class RealTimeTimerDriver : public QObject {
 public:
  explicit RealTimeTimerDriver(TimerScheduler& scheduler, QObject* parent = nullptr);
  ~RealTimeTimerDriver() override;

 private:
  void rearm();
  void onWake();
  void setTimer(std::optional<Instant> due);

  TimerScheduler& scheduler_;
  FileDescriptor timer_;
  QSocketNotifier* notifier_ = nullptr;
  // The instant the timerfd is set to, so a schedule change that leaves the
  // earliest due instant where it was costs no system call.
  std::optional<Instant> armedAt_;
  // While a pass of handlers runs, schedule changes are collected into the
  // one re-arm that follows the pass.
  bool running_ = false;
};

}  // namespace velmo::qt
