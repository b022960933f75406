// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/time_zone.h"

#include <cstdio>
#include <ctime>

namespace velmo::schedule {

using std::chrono::days;
using std::chrono::seconds;

SystemTimeZone::SystemTimeZone() {
  ::tzset();
}

seconds SystemTimeZone::offsetAt(Instant instant) const {
  const std::time_t time = instant.time_since_epoch().count();
  std::tm fields{};
  if (::localtime_r(&time, &fields) == nullptr) return seconds(0);
  return seconds(fields.tm_gmtoff);
}

LocalTime localTimeAt(const TimeZone& zone, Instant instant) {
  return LocalTime((instant + zone.offsetAt(instant)).time_since_epoch());
}

Instant instantOf(const TimeZone& zone, LocalTime local) {
  const Instant asUtc(local.time_since_epoch());
  // Zones change their offset at most once in a day or so: the offsets a
  // day either side are the candidates.
  const seconds before = zone.offsetAt(asUtc - days(1)), after = zone.offsetAt(asUtc + days(1));
  std::optional<Instant> first;
  for (const seconds offset : {before, after}) {
    const Instant candidate = asUtc - offset;
    if (zone.offsetAt(candidate) == offset && (!first || candidate < *first)) first = candidate;
  }
  if (first) return *first;
  // In a skipped hour: the change lies between these two, found to the second.
  Instant low = asUtc - after, high = asUtc - before;
  const seconds lowOffset = zone.offsetAt(low);
  while (high - low > seconds(1)) {
    const Instant middle = low + (high - low) / 2;
    (zone.offsetAt(middle) == lowOffset ? low : high) = middle;
  }
  return high;
}

std::string localText(LocalTime local) {
  const auto day = std::chrono::floor<days>(local);
  const std::chrono::year_month_day date(day);
  const std::chrono::hh_mm_ss time(std::chrono::floor<seconds>(local - day));
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()));
  return text;
}

std::optional<LocalTime> parseLocalText(std::string_view text) {
  constexpr std::string_view kForm = "dddd-dd-dd dd:dd";
  if (text.size() != kForm.size()) return std::nullopt;
  for (std::size_t i = 0; i < kForm.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kForm[i] == 'd' ? !digit : text[i] != kForm[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t length) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = static_cast<int>(number(0, 4));
  const unsigned month = number(5, 2), day = number(8, 2), hours = number(11, 2),
                 minutes = number(14, 2);
  if (hours > 23 || minutes > 59) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                         std::chrono::day(day)};
  if (!date.ok()) return std::nullopt;
  return std::chrono::local_days(date) + std::chrono::hours(hours) + std::chrono::minutes(minutes);
}

}  // namespace velmo::schedule
