// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "chaser/user_pattern.h"

namespace velmo::bench {

// The example settings as a settings lookup: each step timer's own section
// and key give its example interval; anything else is "".
std::string exampleSetting(const std::string& section, const std::string& key,
                           const std::string& path);

// A step timer of a pattern and the bytes its handler writes, in order.
struct StepTimer {
  int number;
  std::vector<std::uint8_t> bytes;
};

// A pattern's group of step timers; the last one restarts the group.
struct PatternGroup {
  std::vector<StepTimer> timers;
};

PatternGroup pattern1();  // "Løpelys 1": Timer1 ... Timer8
PatternGroup pattern3();  // "Løpelys 3": Timer17 ... Timer22

// One write of a cycle: its offset from the start of the cycle and its byte.
struct ExpectedWrite {
  std::chrono::milliseconds offset;
  std::uint8_t value;
};

// The writes of one cycle in firing order and the cycle's length, with the
// example intervals (which grow with the timer number).
struct CycleSchedule {
  std::chrono::milliseconds period;
  std::vector<ExpectedWrite> writes;
};

CycleSchedule scheduleOf(const PatternGroup& group);

// The user pattern the benchmark plays: the four pairs of lines in turn, as
// the example in the manual, with steps of two lengths.
chaser::UserPattern benchUserPattern();

// A user pattern's cycle: each step its time after the one before.
CycleSchedule scheduleOf(const chaser::UserPattern& pattern);

// schedule at a speed factor: every offset and the period divided by it
// (whole milliseconds: the example intervals halve exactly).
CycleSchedule atSpeed(const CycleSchedule& schedule, double speed);

}  // namespace velmo::bench
