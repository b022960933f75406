// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/sleep_floor.h"

#include <sys/prctl.h>
#include <time.h>

namespace velmo::bench {
namespace {

timespec timespecOf(Instant instant) {
  return {static_cast<time_t>(instant.count() / 1'000'000'000),
          static_cast<long>(instant.count() % 1'000'000'000)};
}

void sleepUntil(Instant due) {
  const timespec deadline = timespecOf(due);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
  }
}

}  // namespace

FloorRun sleepThroughSchedule(const CycleSchedule& schedule, std::chrono::milliseconds span,
                              const Clock& clock) {
  const int slack = prctl(PR_GET_TIMERSLACK);
  prctl(PR_SET_TIMERSLACK, 1);
  FloorRun run{clock.now(), {}};
  const Instant end = run.click + span;
  for (long long cycle = 0;; ++cycle) {
    for (const ExpectedWrite& step : schedule.writes) {
      const Instant due = run.click + schedule.period * cycle + step.offset;
      if (due > end) {
        prctl(PR_SET_TIMERSLACK, slack);
        return run;
      }
      sleepUntil(due);
      const Instant woke = clock.now();
      run.writes.push_back({step.value, Wake{due, woke}, woke, woke});
    }
  }
}

}  // namespace velmo::bench
