// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/calendar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <variant>

#include "schedule/schedule_file.h"

namespace velmo::schedule {
namespace {

// Every case in Oslo's zone, whose summer time begins 2024-03-31 at 02:00
// and ends 2024-10-27 at 03:00.
class OsloCalendar : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::setenv("TZ", "Europe/Oslo", 1); }

  static Schedule read(const std::string& text) {
    auto parsed = parseSchedule(text, "schedule.ini");
    if (const auto* problem = std::get_if<std::string>(&parsed)) ADD_FAILURE() << *problem;
    return std::get_if<Schedule>(&parsed) ? std::get<Schedule>(parsed) : Schedule();
  }

  // The listing from from for days, one line each.
  std::string listing(const std::string& text, const char* from, int days) const {
    const Schedule schedule = read(text);
    const Calendar calendar(schedule, zone_);
    const LocalTime start = *parseLocalText(from);
    std::string lines;
    for (const Event& event : calendar.eventsBetween(
             instantOf(zone_, start), instantOf(zone_, start + std::chrono::days(days))))
      lines += calendar.line(event) + "\n";
    return lines;
  }

  SystemTimeZone zone_;
};

constexpr const char* kOslo = "[place]\nlatitude=59.91\nlongitude=10.75\n";
constexpr const char* kTromso = "[place]\nlatitude=69.65\nlongitude=18.96\n";

TEST_F(OsloCalendar, ListsEachRunOfTheDaysAsked) {
  const struct {
    const char* what;
    std::string file;
    const char* from;
    int days;
    const char* expected;
  } rows[] = {
      {"a week: Saturday and Sunday only", "[w]\ndays=sat,sun\nstart=10:00\nstop=11:00\npattern=1",
       "2024-06-01 00:00", 7,
       "2024-06-01 10:00 start w pattern=1\n2024-06-01 11:00 stop w\n"
       "2024-06-02 10:00 start w pattern=1\n2024-06-02 11:00 stop w\n"},
      {"across midnight into the next day", "[n]\ndays=sun\nstart=22:00\nstop=02:00\nlines=3",
       "2024-06-02 12:00", 1, "2024-06-02 22:00 start n lines=3\n2024-06-03 02:00 stop n\n"},
      {"00:00 is midnight, 12:00 noon", "[m]\nstart=00:00\nstop=12:00\npattern=3",
       "2024-06-03 00:00", 1, "2024-06-03 00:00 start m pattern=3\n2024-06-03 12:00 stop m\n"},
      {"a start in the skipped hour at its first minute after",
       "[s]\nstart=02:30\nstop=03:30\npattern=1", "2024-03-31 00:00", 1,
       "2024-03-31 03:00 start s pattern=1\n2024-03-31 03:30 stop s\n"},
      {"start and stop in the repeated hour once", "[r]\nstart=02:30\nstop=02:45\npattern=1",
       "2024-10-27 00:00", 1, "2024-10-27 02:30 start r pattern=1\n2024-10-27 02:45 stop r\n"},
      {"no sunset in June in the far north",
       kTromso + std::string("[t]\nstart=sunset\nstop=23:59\npattern=1"), "2024-06-21 00:00", 1,
       "2024-06-21 skip t: no sunset that day at latitude 69.65 (midnight sun)\n"},
      {"a sun time after a fixed stop skips the day",
       kTromso + std::string("[t]\nstart=sunset+15\nstop=23:00\npattern=1"), "2024-05-10 00:00", 1,
       "2024-05-10 skip t: it would start at sunset+15 (23:17), not before its stop at 23:00\n"},
      {"sunset to sunrise runs across midnight",
       kOslo + std::string("[o]\nstart=sunset\nstop=sunrise\nlines=1"), "2024-12-20 12:00", 1,
       "2024-12-20 15:10 start o lines=1\n2024-12-21 09:17 stop o\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(listing(row.file, row.from, row.days), row.expected);
  }
}

TEST_F(OsloCalendar, SunTimesWithinTwoMinutesOfPublishedOnes) {
  const struct {
    std::string place;
    const char* date;
    const char* start;
    const char* published;  // local time, as newspapers printed it
  } rows[] = {
      {kOslo, "2016-06-21", "sunrise", "03:54"},
      {kOslo, "2016-06-21", "sunset", "22:44"},
      {kOslo, "2016-06-21", "sunset+15", "22:59"},
      {kOslo, "2016-06-21", "sunrise-30", "03:24"},
      {"[place]\nlatitude=63.43\nlongitude=10.39\n", "2016-06-21", "sunset", "23:38"},
      {kOslo, "2020-12-23", "sunset", "15:13"},
      {kOslo, "2020-12-23", "sunset-45", "14:28"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.date) + " " + row.start);
    const Schedule schedule =
        read(row.place + "[s]\nstart=" + row.start + "\nstop=23:59\npattern=1");
    const std::string day = row.date;
    const auto date = std::chrono::floor<std::chrono::days>(*parseLocalText(day + " 00:00"));
    const auto run = Calendar(schedule, zone_).runOn(0, date);
    ASSERT_TRUE(std::holds_alternative<Occurrence>(run));
    const auto published = instantOf(zone_, *parseLocalText(day + " " + row.published));
    EXPECT_LE(std::chrono::abs(std::get<Occurrence>(run).start - published),
              std::chrono::minutes(2));
  }
}

}  // namespace
}  // namespace velmo::schedule
