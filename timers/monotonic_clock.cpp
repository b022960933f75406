// SPDX-License-Identifier: GPL-3.0-or-later
#include <time.h>

#include "timers/clock.h"

namespace velmo {

Instant MonotonicClock::now() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::chrono::seconds{ts.tv_sec} + std::chrono::nanoseconds{ts.tv_nsec};
}

}  // namespace velmo
