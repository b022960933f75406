// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>

#include "schedule/schedule.h"
#include "schedule/time_zone.h"

namespace velmo::schedule {

// The sun on one local day at a place.
struct SunDay {
  // To the nearest minute; missing where the sun does not rise or set that day.
  std::optional<Instant> rise, set;
  // For a missing one: whether the sun stays above the horizon then
  // (midnight sun) rather than below it (polar night).
  bool upAllDay = false;
};

// Sunrise and sunset on the local day date at place, from libnova (the
// sun's upper edge on the horizon, refraction included): the rise before
// that day's solar noon and the set after it, even where the set comes after
// midnight, as it does near the midnight sun.
SunDay sunDay(const Place& place, std::chrono::local_days date, const TimeZone& zone);

}  // namespace velmo::schedule
