// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/wall_clock_alarm.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <system_error>

namespace velmo::schedule {

WallClockAlarm::WallClockAlarm()
    : timer_(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
  if (!timer_) throw std::system_error(errno, std::generic_category(), "timerfd_create");
}

void WallClockAlarm::arm(Instant instant) {
  itimerspec setting{};
  // Zero would disarm it: an instant before 1970 goes off at once all the same.
  setting.it_value.tv_sec = std::max<std::time_t>(instant.time_since_epoch().count(), 1);
  if (::timerfd_settime(timer_.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &setting,
                        nullptr) != 0)
    throw std::system_error(errno, std::generic_category(), "timerfd_settime");
}

void WallClockAlarm::acknowledge() {
  // ECANCELED tells that the clock was set; either way the next event is
  // worked out again, so the count read is not needed.
  std::uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t count = ::read(timer_.get(), &expirations, sizeof expirations);
}

}  // namespace velmo::schedule
