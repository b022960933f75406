// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "schedule/time_zone.h"
#include "system/file_descriptor.h"

namespace velmo::schedule {

// An alarm on the wall clock (a timerfd on CLOCK_REALTIME) that goes off at
// its instant, and also at once when the clock is set or the machine wakes
// from a suspend, so that its owner works out its next event again. Nothing
// wakes in between.
class WallClockAlarm {
 public:
  // Throws std::system_error when the system has no such timer.
  WallClockAlarm();

  // The descriptor that is readable once the alarm has gone off.
  int descriptor() const { return timer_.get(); }

  // Goes off at instant, at once when it has passed. Throws std::system_error.
  void arm(Instant instant);

  // Takes the alarm's going off, after which it is disarmed until arm().
  void acknowledge();

 private:
  FileDescriptor timer_;
};

}  // namespace velmo::schedule
