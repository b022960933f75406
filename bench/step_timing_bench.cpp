// Measures how exactly the chaser's step timers hit their instants: the real
// chaser cascade on the real-time timer driver against a naive cascade of
// plain Qt timers, both writing to a port that stamps every write.
//
//   step_timing_bench [--seconds N]   (N seconds per pattern run, default 10)

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/example_cascade.h"
#include "bench/naive_cascade.h"
#include "bench/timing_figures.h"
#include "chaser/chaser.h"
#include "platform/clock.h"
#include "platform/qt/realtime_timer_driver.h"
#include "tests/support/recording_port.h"

namespace velmo::bench {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

constexpr milliseconds kIdleSpan = 2s;

std::optional<milliseconds> parseRunSpan(int argc, char** argv) {
  milliseconds span = 10s;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      char* end = nullptr;
      const double seconds = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(seconds > 0) || seconds > 3600) return std::nullopt;
      span = milliseconds{std::lround(seconds * 1000)};
    } else {
      return std::nullopt;
    }
  }
  return span;
}

// Counts the real-time driver's wake-ups (activations of its timerfd notifier).
class WakeCounter {
 public:
  explicit WakeCounter(QObject& driver) {
    QObject::connect(driver.findChild<QSocketNotifier*>(), &QSocketNotifier::activated,
                     [this] { ++count_; });
  }
  int take() { return std::exchange(count_, 0); }

 private:
  int count_ = 0;
};

void runEventLoop(milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

struct RunFigures {
  TimingFigures timing;
  std::optional<int> wakeups;
};

// Clicks, runs the event loop for span, and measures the writes after the
// click's 0 (whose instant is the click) against the pattern's timeline.
RunFigures measureRun(test::RecordingPort& port, const std::function<void()>& click,
                      const PatternGroup& group, milliseconds span, WakeCounter* wakes) {
  port.clear();
  if (wakes) wakes->take();
  click();
  runEventLoop(span);
  const std::vector<test::PortAccess> writes = port.accesses();
  RunFigures run;
  if (wakes) run.wakeups = wakes->take();
  if (writes.empty() || writes.front().value != 0) {
    std::fprintf(stderr, "step_timing_bench: the click did not write 0 first\n");
    std::exit(1);
  }
  run.timing =
      measureTiming(scheduleOf(group), writes.front().at, {writes.begin() + 1, writes.end()});
  return run;
}

long threadVoluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

struct IdleFigures {
  int driverWakeups;
  long threadWakeups;
};

IdleFigures measureIdle(milliseconds span, WakeCounter& wakes) {
  wakes.take();
  const long before = threadVoluntarySwitches();
  runEventLoop(span);
  // The timer that ends the wait wakes the thread once.
  return {wakes.take(), threadVoluntarySwitches() - before - 1};
}

std::string ratio(double naive, double ours) {
  // Below a microsecond the figures are noise; say "more than" instead.
  constexpr double kFloor = 0.001;
  char text[32];
  if (std::abs(ours) < kFloor) {
    std::snprintf(text, sizeof text, ">%.0fx", std::abs(naive) / kFloor);
  } else {
    std::snprintf(text, sizeof text, "%.1fx", std::abs(naive) / std::abs(ours));
  }
  return text;
}

void printRow(const char* pattern, const char* timers, const RunFigures& run) {
  const TimingFigures& f = run.timing;
  const std::string wakeups = run.wakeups ? std::to_string(*run.wakeups) : "-";
  std::printf("%-10s %-13s %6zu %6zu %6zu %6zu %9.3f %9.3f %9.3f %9.3f %8s\n", pattern, timers,
              f.writes, f.wrongBytes, f.cycles, f.early, f.p50, f.p99, f.max, f.drift,
              wakeups.c_str());
}

void printComparison(const char* pattern, const RunFigures& ours, const RunFigures& naive) {
  printRow(pattern, "real-time", ours);
  printRow("", "naive QTimer", naive);
  const TimingFigures& o = ours.timing;
  const TimingFigures& n = naive.timing;
  std::printf("%-10s %-13s %27s %9s %9s %9s %9s\n", "", "naive / ours", "",
              ratio(n.p50, o.p50).c_str(), ratio(n.p99, o.p99).c_str(), ratio(n.max, o.max).c_str(),
              ratio(n.drift, o.drift).c_str());
}

int run(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const std::optional<milliseconds> span = parseRunSpan(argc, argv);
  if (!span) {
    std::fprintf(stderr, "usage: step_timing_bench [--seconds N]   (N > 0, per pattern run)\n");
    return 2;
  }

  qt::RealTimeTimerDriver driver;
  WakeCounter wakes(driver);
  const MonotonicClock clock;
  test::RecordingPort port(clock);
  Chaser chaser(driver.scheduler(), port, "",
                [](const std::string& section, const std::string&, const std::string&) {
                  return exampleSetting(section);
                });
  chaser.Form_Load();

  const double seconds = static_cast<double>(span->count()) / 1000;
  std::fprintf(stderr, "running 4 x %.1f s of patterns and %.1f s idle ...\n", seconds,
               static_cast<double>(std::min(*span, kIdleSpan).count()) / 1000);
  const RunFigures ours1 = measureRun(
      port, [&] { chaser.Command1_Click(); }, pattern1(), *span, &wakes);
  const RunFigures ours3 = measureRun(
      port, [&] { chaser.Command3_Click(); }, pattern3(), *span, &wakes);
  chaser.Command4_Click();
  const IdleFigures idle = measureIdle(std::min(*span, kIdleSpan), wakes);

  NaiveCascade naiveCascade1(port, pattern1());
  const RunFigures naive1 = measureRun(
      port, [&] { naiveCascade1.start(); }, pattern1(), *span, nullptr);
  naiveCascade1.stop();
  NaiveCascade naiveCascade3(port, pattern3());
  const RunFigures naive3 = measureRun(
      port, [&] { naiveCascade3.start(); }, pattern3(), *span, nullptr);
  naiveCascade3.stop();

  std::printf("Step timing of the chaser cascade, example intervals, %.1f s per run.\n", seconds);
  std::printf(
      "Error of each write = |write instant - ideal instant from the click| (ms): p50, p99, max;\n"
      "early = writes before their instant; drift = mean lateness of the last complete cycle\n"
      "minus that of the first; wake-ups = real-time driver wake-ups during the run.\n\n");
  std::printf("%-10s %-13s %6s %6s %6s %6s %9s %9s %9s %9s %8s\n", "pattern", "timers", "writes",
              "wrong", "cycles", "early", "p50", "p99", "max", "drift", "wake-ups");
  printComparison("pattern 1", ours1, naive1);
  printComparison("pattern 3", ours3, naive3);
  std::printf(
      "\nIdle %.1f s after \"Deaktiver\": real-time driver wake-ups %d, main-thread "
      "wake-ups %ld (besides the one that ends the wait).\n",
      static_cast<double>(std::min(*span, kIdleSpan).count()) / 1000, idle.driverWakeups,
      idle.threadWakeups);
  return 0;
}

}  // namespace
}  // namespace velmo::bench

int main(int argc, char** argv) {
  return velmo::bench::run(argc, argv);
}
