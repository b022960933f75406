// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmo::schedule {

// Where the shows are, for the sun's times: degrees, north and east positive.
struct Place {
  double latitude = 0;
  double longitude = 0;
  bool operator==(const Place&) const = default;
};

// A show's start or stop as the file writes it: a clock time, or sunrise or
// sunset moved by some minutes.
struct ShowTime {
  enum class Base { kClock, kSunrise, kSunset };
  Base base = Base::kClock;
  int minutes = 0;  // kClock: after midnight, 0 to 1439; a sun time: its offset, -720 to 720

  // As the file writes it: "23:00", "sunset+15", "sunrise".
  std::string text() const;
  bool operator==(const ShowTime&) const = default;
};

// One section of the schedule: when a show runs and what it runs.
struct Show {
  std::string name;          // the section's name
  std::uint8_t days = 0x7F;  // bit 0 for Monday ... bit 6 for Sunday
  ShowTime start, stop;
  enum class Kind { kPattern, kLines };
  Kind kind = Kind::kPattern;
  unsigned value =
      1;  // kPattern: the chaser's pattern number; kLines: the byte, bit N-1 for line N

  // What it runs, as the file writes it: "pattern=2" or "lines=5".
  std::string what() const;

  // Whether its hours run across midnight into the next day: judged from the
  // times as written, sunrise counting as 06:00 and sunset as 18:00, so that
  // "sunset+15 to 23:00" never does and "sunset to sunrise" always does.
  bool crossesMidnight() const;

  bool operator==(const Show&) const = default;
};

// The schedule file: the place (needed only by shows with sun times) and the
// shows in file order.
struct Schedule {
  std::optional<Place> place;
  std::vector<Show> shows;
  bool operator==(const Schedule&) const = default;
};

// The days' names, Monday first, as days= takes them.
inline constexpr const char* kDayNames[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

}  // namespace velmo::schedule
