#pragma once

#include <cstddef>
#include <vector>

#include "bench/example_cascade.h"
#include "platform/clock.h"
#include "tests/support/recording_port.h"

namespace velmo::bench {

// How far a run's writes came from the ideal timeline of its pattern, in
// milliseconds. The error of a write is |write instant - ideal instant|: a
// coarse timer may also fire early, which is as wrong as late.
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
};

// Write i after the click is step i % n of cycle i / n (n writes per cycle),
// due at click + cycle * period + the step's offset.
TimingFigures measureTiming(const CycleSchedule& schedule, Instant click,
                            const std::vector<test::PortAccess>& writesAfterClick);

}  // namespace velmo::bench
