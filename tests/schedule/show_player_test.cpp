// SPDX-License-Identifier: GPL-3.0-or-later
#include "schedule/show_player.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "schedule/schedule_file.h"

namespace velmo::schedule {
namespace {

class Utc final : public TimeZone {
 public:
  std::chrono::seconds offsetAt(Instant) const override { return {}; }
};

// The programs' calls in words: "start 2; stop; lines 5".
class RecordingPrograms final : public Programs {
 public:
  bool startPattern(unsigned pattern) override {
    return record("start " + std::to_string(pattern));
  }
  bool stopPattern() override { return record("stop"); }
  bool setLines(std::uint8_t lines) override { return record("lines " + std::to_string(lines)); }
  std::string calls;

 private:
  bool record(const std::string& call) {
    calls += (calls.empty() ? "" : "; ") + call;
    return true;
  }
};

TEST(ShowPlayer, ShowsWhatIsOnAtEachUpdate) {
  const struct {
    const char* what;
    const char* file;
    std::vector<const char*> updates;  // times on 2024-06-03, or "reread" for the same file again
    const char* expected;              // the calls, then the next event after the last update
  } rows[] = {
      {"on at the first update, stopped at its stop",
       "[a]\nstart=18:00\nstop=23:00\npattern=2",
       {"20:00", "23:00"},
       "start 2; stop -> 2024-06-04 18:00"},
      {"nothing on at the first update leaves the programs alone",
       "[a]\nstart=18:00\nstop=23:00\npattern=2",
       {"12:00"},
       " -> 2024-06-03 18:00"},
      {"the later start wins; the earlier show's pattern comes back",
       "[a]\nstart=18:00\nstop=23:00\npattern=1\n[b]\nstart=19:00\nstop=20:00\npattern=3",
       {"18:00", "19:00", "20:00", "23:00"},
       "start 1; start 3; start 1; stop -> 2024-06-04 18:00"},
      {"lines on, then all off",
       "[l]\nstart=18:00\nstop=19:00\nlines=5",
       {"18:00", "19:00"},
       "lines 5; lines 0 -> 2024-06-04 18:00"},
      {"a file read again with the show unchanged leaves it running",
       "[a]\nstart=18:00\nstop=23:00\npattern=2",
       {"18:00", "reread", "18:30"},
       "start 2 -> 2024-06-03 23:00"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RecordingPrograms programs;
    const Utc zone;
    std::ostringstream log;
    ShowPlayer player(programs, zone, log);
    const auto read = [&] { return std::get<Schedule>(parseSchedule(row.file, "schedule.ini")); };
    player.setSchedule(read());
    std::optional<Instant> next;
    for (const std::string update : row.updates) {
      if (update == "reread") {
        player.setSchedule(read());
        continue;
      }
      next = player.update(instantOf(zone, *parseLocalText("2024-06-03 " + update)));
    }
    EXPECT_EQ(programs.calls + " -> " + localText(localTimeAt(zone, next.value_or(Instant()))),
              row.expected);
  }
}

}  // namespace
}  // namespace velmo::schedule
