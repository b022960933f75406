#pragma once

#include <QObject>

#include "platform/timer_scheduler.h"

class QSocketNotifier;

namespace velmo::qt {

// Drives a TimerScheduler from the Qt event loop with a CLOCK_MONOTONIC
// timerfd armed at the absolute due instant of the next countdown, so
// handlers run within a fraction of a millisecond of being due and nothing
// runs while nothing is due. The scheduler's clock must be a MonotonicClock.
// Handlers run through runGuarded.
class RealTimeTimerDriver : public QObject {
 public:
  explicit RealTimeTimerDriver(TimerScheduler& scheduler, QObject* parent = nullptr);
  ~RealTimeTimerDriver() override;

 private:
  void rearm();
  void onWake();

  TimerScheduler& scheduler_;
  int timerFd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace velmo::qt
