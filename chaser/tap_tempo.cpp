// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/tap_tempo.h"

#include <algorithm>
#include <vector>

namespace velmo::chaser {

std::optional<Instant> TapTempo::tap(Instant now) {
  const std::optional<Instant> last = last_;
  last_ = now;
  if (!last || now - *last > kMaxGap || now < *last) {
    intervals_.clear();
    return std::nullopt;
  }
  intervals_.push_back(now - *last);
  if (intervals_.size() > kIntervals) intervals_.pop_front();
  std::vector<Instant> sorted(intervals_.begin(), intervals_.end());
  std::sort(sorted.begin(), sorted.end());
  const std::size_t middle = sorted.size() / 2;
  if (sorted.size() % 2 == 1) return sorted[middle];
  return (sorted[middle - 1] + sorted[middle]) / 2;
}

}  // namespace velmo::chaser
