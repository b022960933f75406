// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/calendar.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "schedule/sun_times.h"

namespace velmo::schedule {
namespace {

using std::chrono::days;
using std::chrono::local_days;

// How far back of its day's midnight a run may start (sunrise-720 in the
// far north) and how far ahead a next event is looked for.
constexpr std::chrono::hours kEarliestStartBeforeMidnight{14};
constexpr days kLookAhead{400};

bool onDay(const Show& show, local_days date) {
  const unsigned isoDay = std::chrono::weekday(date).iso_encoding();  // 1 for Monday
  return (show.days >> (isoDay - 1)) & 1u;
}

// "23:00", or "sunset+15 (23:17)".
std::string described(const ShowTime& time, LocalTime at) {
  const std::string clock = localText(at).substr(11);
  return time.base == ShowTime::Base::kClock ? clock : time.text() + " (" + clock + ")";
}

bool before(const Event& a, const Event& b) {
  return std::tie(a.at, a.kind, a.show) < std::tie(b.at, b.kind, b.show);
}

}  // namespace

std::variant<Instant, std::string> Calendar::instantOn(const ShowTime& time,
                                                       local_days date) const {
  if (time.base == ShowTime::Base::kClock)
    return instantOf(zone_, LocalTime(date) + std::chrono::minutes(time.minutes));
  const SunDay sun = sunDay(*schedule_.place, date, zone_);
  const bool rise = time.base == ShowTime::Base::kSunrise;
  const std::optional<Instant>& event = rise ? sun.rise : sun.set;
  if (event) return *event + std::chrono::minutes(time.minutes);
  char latitude[16];
  std::snprintf(latitude, sizeof latitude, "%.2f", schedule_.place->latitude);
  return std::string("no ") + (rise ? "sunrise" : "sunset") + " that day at latitude " + latitude +
         (sun.upAllDay ? " (midnight sun)" : " (polar night)");
}

std::variant<std::monostate, Occurrence, Skip> Calendar::runOn(std::size_t index,
                                                               local_days date) const {
  const Show& show = schedule_.shows.at(index);
  if (!onDay(show, date)) return std::monostate();
  const auto start = instantOn(show.start, date);
  if (const auto* why = std::get_if<std::string>(&start)) return Skip{index, *why};
  const auto stop = instantOn(show.stop, show.crossesMidnight() ? date + days(1) : date);
  if (const auto* why = std::get_if<std::string>(&stop)) return Skip{index, *why};
  const Instant from = std::get<Instant>(start), to = std::get<Instant>(stop);
  if (to <= from) {
    return Skip{index, "it would start at " + described(show.start, localTimeAt(zone_, from)) +
                           ", not before its stop at " +
                           described(show.stop, localTimeAt(zone_, to))};
  }
  return Occurrence{index, from, to};
}

local_days Calendar::dayOf(Instant instant) const {
  return std::chrono::floor<days>(localTimeAt(zone_, instant));
}

std::vector<Event> Calendar::eventsBetween(Instant from, Instant to) const {
  std::vector<Event> events;
  const local_days firstDay = dayOf(from);
  for (local_days date = firstDay - days(2); date <= dayOf(to); date += days(1)) {
    for (std::size_t show = 0; show < schedule_.shows.size(); ++show) {
      const auto run = runOn(show, date);
      if (const auto* occurrence = std::get_if<Occurrence>(&run)) {
        if (occurrence->start >= from && occurrence->start < to)
          events.push_back({Event::Kind::kStart, occurrence->start, show, {}, {}});
        if (occurrence->stop >= from && occurrence->stop < to)
          events.push_back({Event::Kind::kStop, occurrence->stop, show, {}, {}});
      } else if (const auto* skip = std::get_if<Skip>(&run)) {
        const Instant dayStart = std::max(from, instantOf(zone_, LocalTime(date)));
        if (date >= firstDay && dayStart < to)
          events.push_back({Event::Kind::kSkip, dayStart, show, date, skip->why});
      }
    }
  }
  std::ranges::sort(events, before);
  return events;
}

std::vector<Occurrence> Calendar::runsAt(Instant instant) const {
  std::vector<Occurrence> runs;
  for (local_days date = dayOf(instant) - days(2); date <= dayOf(instant); date += days(1)) {
    for (std::size_t show = 0; show < schedule_.shows.size(); ++show) {
      const auto run = runOn(show, date);
      const auto* occurrence = std::get_if<Occurrence>(&run);
      if (occurrence && occurrence->start <= instant && instant < occurrence->stop)
        runs.push_back(*occurrence);
    }
  }
  return runs;
}

std::optional<Event> Calendar::nextAfter(Instant instant) const {
  std::optional<Event> next;
  const local_days today = dayOf(instant);
  for (local_days date = today - days(2); date <= today + kLookAhead; date += days(1)) {
    if (next && instantOf(zone_, LocalTime(date)) - kEarliestStartBeforeMidnight > next->at) break;
    for (std::size_t show = 0; show < schedule_.shows.size(); ++show) {
      const auto run = runOn(show, date);
      const auto* occurrence = std::get_if<Occurrence>(&run);
      if (!occurrence) continue;
      for (const Event& event : {Event{Event::Kind::kStart, occurrence->start, show, {}, {}},
                                 Event{Event::Kind::kStop, occurrence->stop, show, {}, {}}}) {
        if (event.at > instant && (!next || before(event, *next))) next = event;
      }
    }
  }
  return next;
}

std::string Calendar::line(const Event& event) const {
  const Show& show = schedule_.shows.at(event.show);
  switch (event.kind) {
    case Event::Kind::kStart:
      return localText(localTimeAt(zone_, event.at)) + " start " + show.name + " " + show.what();
    case Event::Kind::kStop:
      return localText(localTimeAt(zone_, event.at)) + " stop " + show.name;
    case Event::Kind::kSkip:
      return localText(LocalTime(event.date)).substr(0, 10) + " skip " + show.name + ": " +
             event.why;
  }
  return {};
}

}  // namespace velmo::schedule
