// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/timing_figures.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace velmo::bench {
namespace {

// Nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double fraction) {
  const auto rank =
      static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

double meanOfCycle(const std::vector<double>& lateness, std::size_t cycle, std::size_t perCycle) {
  double sum = 0;
  for (std::size_t i = 0; i < perCycle; ++i) sum += lateness[cycle * perCycle + i];
  return sum / static_cast<double>(perCycle);
}

StageFigures stagesOf(const std::vector<StampedWrite>& writes) {
  std::vector<double> toWake, toCall, dueToCall, inPort, toDone;
  std::optional<Wake> counted;
  for (const StampedWrite& write : writes) {
    // The first write of each wake-up: a handler's later writes wait for its
    // earlier ones.
    if (!write.wake || (counted && counted->at == write.wake->at)) continue;
    counted = write.wake;
    toWake.push_back(toMs(write.wake->at - write.wake->due));
    toCall.push_back(toMs(write.called - write.wake->at));
    dueToCall.push_back(toMs(write.called - write.wake->due));
    inPort.push_back(toMs(write.done - write.called));
    toDone.push_back(toMs(write.done - write.wake->due));
  }
  return {spreadOf(toWake), spreadOf(toCall), spreadOf(dueToCall), spreadOf(inPort),
          spreadOf(toDone)};
}

}  // namespace

double toMs(std::chrono::nanoseconds span) {
  return static_cast<double>(span.count()) / 1e6;
}

Spread spreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  return {percentile(values, 0.50), percentile(values, 0.99)};
}

TimingFigures measureTiming(const CycleSchedule& schedule, Instant click,
                            const std::vector<StampedWrite>& writesAfterClick) {
  TimingFigures figures;
  const std::size_t perCycle = schedule.writes.size();
  std::vector<double> lateness;
  for (std::size_t i = 0; i < writesAfterClick.size(); ++i) {
    const ExpectedWrite& step = schedule.writes[i % perCycle];
    const Instant due =
        click + schedule.period * static_cast<long long>(i / perCycle) + step.offset;
    lateness.push_back(toMs(writesAfterClick[i].done - due));
    if (writesAfterClick[i].value != step.value) ++figures.wrongBytes;
  }
  figures.writes = lateness.size();
  figures.cycles = lateness.size() / perCycle;
  if (lateness.empty()) return figures;
  if (figures.cycles > 0) {
    figures.drift =
        meanOfCycle(lateness, figures.cycles - 1, perCycle) - meanOfCycle(lateness, 0, perCycle);
  }
  std::vector<double> error;
  for (double late : lateness) {
    if (late < 0) ++figures.early;
    error.push_back(std::abs(late));
  }
  const Spread spread = spreadOf(error);
  figures.p50 = spread.p50;
  figures.p99 = spread.p99;
  figures.max = *std::max_element(error.begin(), error.end());
  figures.staged = std::any_of(writesAfterClick.begin(), writesAfterClick.end(),
                               [](const StampedWrite& write) { return write.wake.has_value(); });
  if (figures.staged) figures.stages = stagesOf(writesAfterClick);
  return figures;
}

}  // namespace velmo::bench
