// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/example_cascade.h"

#include <algorithm>

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

}  // namespace velmo::bench
