#include "bench/timing_figures.h"

#include <algorithm>
#include <cmath>

namespace velmo::bench {
namespace {

double toMs(std::chrono::nanoseconds span) {
  return static_cast<double>(span.count()) / 1e6;
}

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

}  // namespace

TimingFigures measureTiming(const CycleSchedule& schedule, Instant click,
                            const std::vector<test::PortAccess>& writesAfterClick) {
  TimingFigures figures;
  const std::size_t perCycle = schedule.writes.size();
  std::vector<double> lateness;
  for (std::size_t i = 0; i < writesAfterClick.size(); ++i) {
    const ExpectedWrite& step = schedule.writes[i % perCycle];
    const Instant due =
        click + schedule.period * static_cast<long long>(i / perCycle) + step.offset;
    lateness.push_back(toMs(writesAfterClick[i].at - due));
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
  std::sort(error.begin(), error.end());
  figures.p50 = percentile(error, 0.50);
  figures.p99 = percentile(error, 0.99);
  figures.max = error.back();
  return figures;
}

}  // namespace velmo::bench
