// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/schedule.h"

#include <cstdio>
#include <cstdlib>

namespace velmo::schedule {
namespace {

constexpr int kNominalSunrise = 6 * 60;
constexpr int kNominalSunset = 18 * 60;

int nominalMinutes(const ShowTime& time) {
  switch (time.base) {
    case ShowTime::Base::kClock:
      return time.minutes;
    case ShowTime::Base::kSunrise:
      return kNominalSunrise + time.minutes;
    case ShowTime::Base::kSunset:
      return kNominalSunset + time.minutes;
  }
  return time.minutes;
}

}  // namespace

std::string ShowTime::text() const {
  char buffer[16];
  if (base == Base::kClock) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", minutes / 60, minutes % 60);
    return buffer;
  }
  std::string name = base == Base::kSunrise ? "sunrise" : "sunset";
  if (minutes == 0) return name;
  return name + (minutes > 0 ? "+" : "-") + std::to_string(std::abs(minutes));
}

std::string Show::what() const {
  return (kind == Kind::kPattern ? "pattern=" : "lines=") + std::to_string(value);
}

bool Show::crossesMidnight() const {
  return nominalMinutes(stop) < nominalMinutes(start);
}

}  // namespace velmo::schedule
