// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "schedule/schedule.h"
#include "schedule/time_zone.h"

namespace velmo::schedule {

// One run of a show, from its start (included) to its stop.
struct Occurrence {
  std::size_t show;  // index in the schedule's shows
  Instant start, stop;
};

// A day that a show's days name but on which it does not run, and why.
struct Skip {
  std::size_t show;
  std::string why;  // "no sunset that day at latitude 78.22 (midnight sun)"
};

// A line of the timetable.
struct Event {
  enum class Kind { kSkip, kStop, kStart };  // their order at one instant
  Kind kind;
  Instant at;  // kSkip: the start of its day, or the start of the listing
  std::size_t show;
  std::chrono::local_days date{};  // kSkip: the day skipped
  std::string why;                 // kSkip: why
};

// The runs of a schedule's shows in a time zone. Keeps references to both.
class Calendar {
 public:
  Calendar(const Schedule& schedule, const TimeZone& zone) : schedule_(schedule), zone_(zone) {}

  // The run of a show that begins on local date, why it has none that day,
  // or nothing when date is not one of its days. A run that crosses
  // midnight stops on the next day; a start in the hour skipped when summer
  // time begins comes at the first minute after it, and one in the hour
  // repeated when it ends comes once, the first time.
  std::variant<std::monostate, Occurrence, Skip> runOn(std::size_t show,
                                                       std::chrono::local_days date) const;

  // Starts and stops from from (included) to to, in time order, stops before
  // starts at one instant, then in file order; with the skips of the days
  // from from's own day on whose start lies before to.
  std::vector<Event> eventsBetween(Instant from, Instant to) const;

  // The runs on at instant.
  std::vector<Occurrence> runsAt(Instant instant) const;

  // The first start or stop after instant, within a year and a month.
  std::optional<Event> nextAfter(Instant instant) const;

  // The event as `velmo schedule list` prints it: "2024-12-02 15:45 start
  // shop window pattern=2", "... stop shop window", "2024-06-21 skip shop
  // window: why".
  std::string line(const Event& event) const;

 private:
  // The instant of time on date, or why there is none.
  std::variant<Instant, std::string> instantOn(const ShowTime& time,
                                               std::chrono::local_days date) const;
  std::chrono::local_days dayOf(Instant instant) const;

  const Schedule& schedule_;
  const TimeZone& zone_;
};

}  // namespace velmo::schedule
