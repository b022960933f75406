// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <vector>

#include "bench/example_cascade.h"
#include "bench/stamping_port.h"
#include "timers/clock.h"

namespace velmo::bench {

// A run of the machine's floor: the click instant and one write per step.
struct FloorRun {
  Instant click;
  std::vector<StampedWrite> writes;
};

// The least lateness this machine allows: the calling thread follows
// schedule from now for span, sleeping with clock_nanosleep to each write's
// absolute due instant with 1 ns of timer slack, no event loop and no port.
// Each write is stamped as woken, called and done at the instant the sleep
// returned. The thread's timer slack is restored afterwards.
FloorRun sleepThroughSchedule(const CycleSchedule& schedule, std::chrono::milliseconds span,
                              const Clock& clock);

}  // namespace velmo::bench
