// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/schedule_file.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace velmo::schedule {
namespace {

// The shows read, one line each, or the problem.
std::string outcome(const std::string& text) {
  const auto parsed = parseSchedule(text, "schedule.ini");
  if (const auto* problem = std::get_if<std::string>(&parsed)) return *problem;
  std::string shows;
  for (const Show& show : std::get<Schedule>(parsed).shows)
    shows += show.name + " " + std::to_string(show.days) + " " + show.start.text() + " " +
             show.stop.text() + " " + show.what() + "\n";
  return shows;
}

TEST(ScheduleFile, ReadsShowsAndNamesWhatIsWrong) {
  const std::string place = "[place]\nlatitude=59.91\nlongitude=10.75\n";
  const struct {
    std::string file;
    std::string expected;  // the shows, or the beginning of the problem
  } rows[] = {
      {place + "[Shop Window]\nDays = Mon, sun\nstart=sunset + 15\nSTOP=7:05\npattern=2\n"
               "[b]\nstart=sunrise-30\nstop=00:00\nlines=255",
       "Shop Window 65 sunset+15 07:05 pattern=2\nb 127 sunrise-30 00:00 lines=255\n"},
      {"[s]\nstart=25:00\nstop=1:00\npattern=1", "schedule.ini [s] start = 25:00: a time is HH:MM"},
      {"[s]\nstart=12 AM\nstop=1:00\npattern=1", "schedule.ini [s] start = 12 AM: a time is"},
      {"[s]\nstart=1:00\nstop=sunset+721\npattern=1", "schedule.ini [s] stop = sunset+721: a time"},
      {"[s]\nstart=1:00\nstop=1:00\npattern=1",
       "schedule.ini [s] stop = 1:00: the stop must differ"},
      {"[s]\nstop=1:00\npattern=1", "schedule.ini [s] start is missing: a time is"},
      {"[s]\ndays=monday\nstart=1:00\nstop=2:00\npattern=1",
       "schedule.ini [s] days = monday: days is"},
      {"[s]\nstart=1:00\nstop=2:00\npatern=1", "schedule.ini [s] patern = 1: a show takes days,"},
      {"[s]\nstart=1:00\nstop=2:00\npattern=0", "schedule.ini [s] pattern = 0: pattern is a"},
      {"[s]\nstart=1:00\nstop=2:00\nlines=256", "schedule.ini [s] lines = 256: lines is a byte"},
      {"[s]\nstart=1:00\nstop=2:00\npattern=1\nlines=1", "schedule.ini [s] lines = 1: a show runs"},
      {"[s]\nstart=1:00\nstop=2:00", "schedule.ini [s]: a show needs pattern=N"},
      {"[s]\nstart=sunset\nstop=2:00\nlines=1", "schedule.ini [s] start = sunset: sun times need"},
      {"[place]\nlatitude=59,91\nlongitude=10", "schedule.ini [place] latitude = 59,91: latitude"},
      {"[place]\nlatitude=59", "schedule.ini [place] longitude is missing: longitude is"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    EXPECT_EQ(outcome(row.file).substr(0, row.expected.size()), row.expected);
  }
}

}  // namespace
}  // namespace velmo::schedule
