// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/sun_times.h"

#include <libnova/solar.h>
#include <libnova/transform.h>

#include <cmath>

namespace velmo::schedule {
namespace {

constexpr double kUnixEpochJulianDay = 2440587.5;
constexpr double kSecondsPerDay = 86400;

double julianDay(Instant instant) {
  return static_cast<double>(instant.time_since_epoch().count()) / kSecondsPerDay +
         kUnixEpochJulianDay;
}

Instant nearestMinute(double julian) {
  const double minutes = std::round((julian - kUnixEpochJulianDay) * kSecondsPerDay / 60);
  return Instant(std::chrono::minutes(static_cast<long long>(minutes)));
}

bool sunUpAt(ln_lnlat_posn& observer, double julian) {
  ln_equ_posn equatorial{};
  ln_hrz_posn horizontal{};
  ln_get_solar_equ_coords(julian, &equatorial);
  ln_get_hrz_from_equ(&equatorial, &observer, julian, &horizontal);
  return horizontal.alt > LN_SOLAR_STANDART_HORIZON;
}

}  // namespace

SunDay sunDay(const Place& place, std::chrono::local_days date, const TimeZone& zone) {
  ln_lnlat_posn observer{place.longitude, place.latitude};
  // libnova gives the next rise, set and transit after the instant it is
  // asked for, or tells that the sun stays up (1) or down (-1).
  ln_rst_time day{};
  const int state = ln_get_solar_rst(julianDay(instantOf(zone, LocalTime(date))), &observer, &day);
  if (state != 0) return {std::nullopt, std::nullopt, state > 0};
  const double noon = day.transit;
  SunDay sun;
  ln_rst_time morning{}, evening{};
  if (ln_get_solar_rst(noon - 0.5, &observer, &morning) == 0 && morning.rise < noon)
    sun.rise = nearestMinute(morning.rise);
  if (ln_get_solar_rst(noon, &observer, &evening) == 0 && evening.set < noon + 0.5)
    sun.set = nearestMinute(evening.set);
  if (!sun.rise) sun.upAllDay = sunUpAt(observer, noon - 0.5);
  if (!sun.set) sun.upAllDay = sunUpAt(observer, noon + 0.5);
  return sun;
}

}  // namespace velmo::schedule
