// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/example_cascade.h"

#include <algorithm>
#include <cmath>

#include "chaser/chaser.h"

namespace velmo::bench {

using chaser::Chaser;
using std::chrono::milliseconds;

std::string exampleSetting(const std::string& section, const std::string& key, const std::string&) {
  for (int number = 1; number <= Chaser::kTimerCount; ++number)
    if (section == Chaser::intervalSection(number) && key == Chaser::intervalKey(number))
      return std::to_string(Chaser::exampleInterval(number));
  return "";
}

namespace {

// Timers first ... last with the bytes each writes when it fires.
PatternGroup groupOf(int first, int last) {
  PatternGroup group;
  for (int number = first; number <= last; ++number) {
    StepTimer timer{number, {static_cast<std::uint8_t>(Chaser::stepByte(number))}};
    if (number == 20) timer.bytes.insert(timer.bytes.begin(), 0);  // clears the centre pair first
    group.timers.push_back(timer);
  }
  return group;
}

}  // namespace

PatternGroup pattern1() {
  return groupOf(1, 8);
}

PatternGroup pattern3() {
  return groupOf(17, 22);
}

CycleSchedule scheduleOf(const PatternGroup& group) {
  CycleSchedule schedule{milliseconds{Chaser::exampleInterval(group.timers.back().number)}, {}};
  for (const StepTimer& timer : group.timers) {
    for (std::uint8_t value : timer.bytes) {
      schedule.writes.push_back({milliseconds{Chaser::exampleInterval(timer.number)}, value});
    }
  }
  std::stable_sort(
      schedule.writes.begin(), schedule.writes.end(),
      [](const ExpectedWrite& a, const ExpectedWrite& b) { return a.offset < b.offset; });
  return schedule;
}

chaser::UserPattern benchUserPattern() {
  return {4, "Par", {3, 12, 48, 192}, {120, 120, 60, 60}};
}

CycleSchedule scheduleOf(const chaser::UserPattern& pattern) {
  CycleSchedule schedule{milliseconds{0}, {}};
  for (std::size_t step = 0; step < pattern.steps.size(); ++step) {
    schedule.period += milliseconds{pattern.times[step]};
    schedule.writes.push_back({schedule.period, pattern.steps[step]});
  }
  return schedule;
}

CycleSchedule atSpeed(const CycleSchedule& schedule, double speed) {
  const auto scaled = [speed](milliseconds span) {
    return milliseconds{std::lround(static_cast<double>(span.count()) / speed)};
  };
  CycleSchedule faster{scaled(schedule.period), schedule.writes};
  for (ExpectedWrite& write : faster.writes) write.offset = scaled(write.offset);
  return faster;
}

}  // namespace velmo::bench
