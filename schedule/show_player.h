// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "schedule/schedule.h"
#include "schedule/time_zone.h"

namespace velmo::schedule {

// What the player has the programs do.
class Programs {
 public:
  virtual ~Programs() = default;
  // Each returns whether the program did it; when not, it has told why.
  virtual bool startPattern(unsigned pattern) = 0;  // the chaser's Start(pattern)
  virtual bool stopPattern() = 0;                   // the chaser's "Deaktiver"
  virtual bool setLines(std::uint8_t lines) = 0;    // each switch-panel line by its own button
};

// Keeps the programs showing what a schedule has on. The chaser runs the
// pattern of the latest started pattern show that is on, and is stopped
// when none is; the switch panel likewise shows the lines of the latest
// started lines show, and all lines go off when none is on. What no show
// has asked for is left alone: with no show on at the first update, the
// programs are not touched.
class ShowPlayer {
 public:
  // Tells what it does on log. Keeps references to all three.
  ShowPlayer(Programs& programs, const TimeZone& zone, std::ostream& log)
      : programs_(programs), zone_(zone), log_(log) {}

  // The schedule from the next update on. A show that is on under both the
  // old and the new one (same name, same pattern or lines) runs on untouched.
  void setSchedule(Schedule schedule) { schedule_ = std::move(schedule); }
  const Schedule& schedule() const { return schedule_; }

  // Brings the programs to what is on at now, the first update, a clock
  // set or a suspend included: shows that came on are started, shows that
  // went off are stopped, each told on log, and the days skipped up to the
  // next event too. Returns the instant of the next start or stop, if any
  // within a year and a month.
  std::optional<Instant> update(Instant now);

 private:
  void showPattern(std::optional<unsigned> pattern);
  void showLines(std::optional<std::uint8_t> lines);
  void tellSkipsUntil(Instant now, Instant until);

  Programs& programs_;
  const TimeZone& zone_;
  std::ostream& log_;
  Schedule schedule_;
  std::vector<std::string> on_;        // the shows on at the last update: name and what
  std::optional<unsigned> pattern_;    // what the chaser was last made to show, 0 for stopped
  std::optional<std::uint8_t> lines_;  // likewise the switch panel; nothing when not known
  std::set<std::string> toldSkips_;
};

}  // namespace velmo::schedule
