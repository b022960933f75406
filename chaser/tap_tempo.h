// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>

#include "timers/clock.h"

namespace velmo::chaser {

// The beat of taps in time with music: the median of the intervals between
// the last taps, so that one tap off the beat does not throw it.
class TapTempo {
 public:
  // Taps further apart than this start a new series.
  static constexpr Instant kMaxGap = std::chrono::seconds{2};
  // How many of the last intervals the median is taken of.
  static constexpr std::size_t kIntervals = 5;

  // Records a tap at now. Returns the beat from the second tap of a series
  // on: the median of its last kIntervals intervals (of an even number, the
  // mean of the middle two).
  std::optional<Instant> tap(Instant now);

 private:
  std::optional<Instant> last_;
  std::deque<Instant> intervals_;
};

}  // namespace velmo::chaser
