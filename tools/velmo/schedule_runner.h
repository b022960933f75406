// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <ostream>
#include <string>

#include "schedule/show_player.h"
#include "schedule/time_zone.h"
#include "schedule/wall_clock_alarm.h"

namespace velmo::cli {

// `velmo schedule run` on the Qt event loop: a ShowPlayer woken by a
// wall-clock alarm at each start and stop (and when the clock is set or the
// machine wakes), and when the schedule file changes. Sleeps in between.
class ScheduleRunner {
 public:
  // Keeps references to all; out gets what the player tells, err the
  // problems as "velmo: ...".
  ScheduleRunner(const std::string& path, schedule::Programs& programs, std::ostream& out,
                 std::ostream& err);

  // Reads the file and brings the programs to what is on now. Returns false,
  // having told why, when the file cannot be read or is not a schedule.
  bool start();

 private:
  void wake();
  void reread();
  void update();
  void watchFile();

  const std::string path_;
  std::ostream& out_;
  std::ostream& err_;
  schedule::SystemTimeZone zone_;
  schedule::ShowPlayer player_;
  schedule::WallClockAlarm alarm_;
  QSocketNotifier alarmNotifier_;
  QFileSystemWatcher watcher_;
  QTimer settle_;            // lets an editor finish writing before the file is read
  std::string lastProblem_;  // the problem told last, so that it is told once
};

}  // namespace velmo::cli
