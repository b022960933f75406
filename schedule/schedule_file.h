// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "schedule/schedule.h"

namespace velmo::schedule {

// The schedule in a file's bytes, read by the settings reader's rules
// (sections and keys in any case, blanks trimmed, ';' comments): the section
// [place] with latitude and longitude, and one section per show with days,
// start, stop, and pattern or lines. Or what is wrong, as one line naming
// the file, section, key and value and what is valid:
// "schedule.ini [shop window] stop = 25:00: a time is HH:MM (00:00 to 23:59) ...".
// fileName is the name to give in that line.
std::variant<Schedule, std::string> parseSchedule(std::string_view bytes,
                                                  const std::string& fileName);

// The schedule in the file at path (parseSchedule), or what is wrong with it,
// also when it cannot be read or is over 1 MiB.
std::variant<Schedule, std::string> readScheduleFile(const std::string& path);

// schedule.ini in the user's settings folder (userSettingsFolder(),
// system/paths.h); "" when there is none.
std::string defaultSchedulePath();

}  // namespace velmo::schedule
