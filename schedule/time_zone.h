// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::schedule {

// Wall-clock instants, whole seconds since 1970 in UTC.
using Instant = std::chrono::sys_seconds;
// A local date and time of day as a clock on the wall shows it.
using LocalTime = std::chrono::local_seconds;

// A time zone: how far local clocks are ahead of UTC at each instant.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  virtual std::chrono::seconds offsetAt(Instant instant) const = 0;
};

// The system's time zone as the C library has it: TZ when set (a zone name
// such as Europe/Oslo, or a rule), else /etc/localtime. Reads TZ when made.
class SystemTimeZone final : public TimeZone {
 public:
  SystemTimeZone();
  std::chrono::seconds offsetAt(Instant instant) const override;
};

// What the wall clock shows at instant.
LocalTime localTimeAt(const TimeZone& zone, Instant instant);

// The instant at which the wall clock shows local. Of a time that comes
// twice (the hour repeated when summer time ends), the first; of a time that
// never comes (the hour skipped when it begins), the instant the clock jumps
// past it, whose wall time is the first minute after the skipped hour.
Instant instantOf(const TimeZone& zone, LocalTime local);

// "YYYY-MM-DD HH:MM".
std::string localText(LocalTime local);

// local as "YYYY-MM-DD HH:MM" writes it; nothing for any other text or a
// date that does not exist.
std::optional<LocalTime> parseLocalText(std::string_view text);

}  // namespace velmo::schedule
