#include "bench/example_cascade.h"

#include <algorithm>
#include <array>

namespace velmo::bench {

using std::chrono::milliseconds;

milliseconds exampleInterval(int number) {
  static constexpr std::array<int, 8> kLater = {130, 260, 380, 500, 700, 900, 500, 620};
  if (number >= 1 && number <= 16) return milliseconds{100 * number};
  if (number >= 17 && number <= 24) return milliseconds{kLater[number - 17]};
  return milliseconds{0};
}

std::string exampleSetting(const std::string& section) {
  const std::string prefix = "timer";
  if (section.rfind(prefix, 0) != 0) return "";
  return std::to_string(exampleInterval(std::stoi(section.substr(prefix.size()))).count());
}

PatternGroup pattern1() {
  PatternGroup group;
  for (int number = 1; number <= 8; ++number) {
    group.timers.push_back({number, {static_cast<std::uint8_t>(1 << (number - 1))}});
  }
  return group;
}

PatternGroup pattern3() {
  return {{{17, {24}}, {18, {0}}, {19, {24}}, {20, {0, 231}}, {21, {0}}, {22, {231}}}};
}

CycleSchedule scheduleOf(const PatternGroup& group) {
  CycleSchedule schedule{exampleInterval(group.timers.back().number), {}};
  for (const StepTimer& timer : group.timers) {
    for (std::uint8_t value : timer.bytes) {
      schedule.writes.push_back({exampleInterval(timer.number), value});
    }
  }
  std::stable_sort(
      schedule.writes.begin(), schedule.writes.end(),
      [](const ExpectedWrite& a, const ExpectedWrite& b) { return a.offset < b.offset; });
  return schedule;
}

}  // namespace velmo::bench
