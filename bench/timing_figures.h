// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <vector>

#include "bench/example_cascade.h"
#include "bench/stamping_port.h"
#include "timers/clock.h"

namespace velmo::bench {

// Median and 99th percentile of a span, in milliseconds.
struct Spread {
  double p50 = 0;
  double p99 = 0;
};

// A span in milliseconds.
double toMs(std::chrono::nanoseconds span);

// The nearest-rank median and 99th percentile of values; zeros for none.
Spread spreadOf(std::vector<double> values);

// Where the time of a step goes, over the first write of each wake-up.
struct StageFigures {
  Spread toWake;     // due instant -> wake-up (kernel timer, scheduling, event loop)
  Spread toCall;     // wake-up -> the handler's port call (scheduler, handler)
  Spread dueToCall;  // due instant -> the handler's port call
  Spread inPort;     // port call -> return (port library: register, trace)
  Spread toDone;     // due instant -> return
};

// How far a run's writes came from the ideal timeline of its pattern, in
// milliseconds. The error of a write is |instant it was done - ideal
// instant|: a coarse timer may also fire early, which is as wrong as late.
struct TimingFigures {
  std::size_t writes = 0;
  std::size_t wrongBytes = 0;  // writes whose byte is not the timeline's
  std::size_t cycles = 0;      // complete cycles
  std::size_t early = 0;       // writes before their ideal instant
  double p50 = 0;              // error percentiles and maximum
  double p99 = 0;
  double max = 0;
  // Mean lateness (signed) of the last complete cycle minus that of the first.
  double drift = 0;
  bool staged = false;  // the writes came from wake-ups, so stages holds figures
  StageFigures stages;
};

// Write i after the click is step i % n of cycle i / n (n writes per cycle),
// due at click + cycle * period + the step's offset.
TimingFigures measureTiming(const CycleSchedule& schedule, Instant click,
                            const std::vector<StampedWrite>& writesAfterClick);

}  // namespace velmo::bench
