// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how exactly the chaser's step timers hit their instants, on the
// way the program takes: the real chaser on its step thread (real-time
// priority where granted), writing through libvelmoport.so to the default
// simulated register (in a temporary folder), with and without the port
// trace: two built-in patterns, a user pattern, and pattern 1 at speed 2.
// Against it: the machine's floor (a thread sleeping to each instant) and a
// naive cascade of plain Qt timers. Then the floor and the chaser again with
// three busy loops beside them. Each variant runs in a process of its own,
// with its own environment for the port library.
//
//   step_timing_bench [--seconds N]   (N seconds per pattern run, default 10)

#include <sched.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/busy_load.h"
#include "bench/example_cascade.h"
#include "bench/naive_cascade.h"
#include "bench/sleep_floor.h"
#include "bench/stamping_port.h"
#include "bench/timing_figures.h"
#include "chaser/chaser.h"
#include "port_client/port.h"
#include "qt/realtime_priority.h"
#include "qt/step_thread.h"
#include "system/temp_folder.h"
#include "timers/clock.h"

namespace velmo::bench {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

constexpr milliseconds kIdleSpan = 2s;
constexpr int kBusyLoops = 3;

struct Options {
  milliseconds span;
  int& argc;  // for the QCoreApplication of a measuring process
  char** argv;
};

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

// The runs of each variant, in the order they are measured and printed.
enum Run { kPattern1, kPattern3, kUserPattern, kPattern1AtSpeed2, kRunCount };
constexpr const char* kRunNames[kRunCount] = {"pattern 1", "pattern 3", "user pattern",
                                              "1 at speed 2"};
constexpr double kFastSpeed = 2;

CycleSchedule scheduleOfRun(int run) {
  switch (run) {
    case kPattern1:
      return scheduleOf(pattern1());
    case kPattern3:
      return scheduleOf(pattern3());
    case kUserPattern:
      return scheduleOf(benchUserPattern());
    default:
      return atSpeed(scheduleOf(pattern1()), kFastSpeed);
  }
}

// What one variant measured; plain data, so a child process can hand it over
// through a pipe.
struct RunFigures {
  bool measured = false;
  TimingFigures timing;
  int wakeups = -1;  // real-time driver wake-ups during the run; -1: not counted
};

struct IdleFigures {
  bool measured = false;
  int driverWakeups = 0;
  long threadWakeups = 0;
};

struct VariantFigures {
  RunFigures runs[kRunCount];
  IdleFigures idle;
  bool realTime = false;  // the step thread ran at real-time priority
};
static_assert(std::is_trivially_copyable_v<VariantFigures>);

enum class Timers { kFloor, kRealTime, kNaive };

struct Variant {
  const char* name;
  Timers timers;
  bool traced;
};

constexpr Variant kVariants[] = {
    {"sleep floor", Timers::kFloor, false},
    {"real-time", Timers::kRealTime, false},
    {"real-time, traced", Timers::kRealTime, true},
    {"naive QTimer", Timers::kNaive, false},
};
constexpr std::size_t kFloor = 0;
constexpr std::size_t kRealTime = 1;
constexpr std::size_t kNaive = 3;
// Measured again under load, in this order.
constexpr std::size_t kLoadedVariants[] = {kFloor, kRealTime};

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "step_timing_bench: %s\n", what.c_str());
  std::exit(1);
}

void runEventLoop(milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// How work reaches the timers of a variant: on the step thread, or here.
using OnTimers = std::function<void(const std::function<void()>&)>;

// Clicks, runs the event loop for span, and measures the writes after the
// click's 0 against the run's timeline, which starts once that 0 is
// written: the click's countdowns start there, and an outside observer
// (a trace, the lines) sees the pattern begin there.
RunFigures measureRun(const OnTimers& onTimers, StampingPort& port,
                      const std::function<void()>& click, int run, milliseconds span,
                      std::atomic<int>* wakeups) {
  onTimers([&] { port.take(); });
  if (wakeups) *wakeups = 0;
  onTimers(click);
  runEventLoop(span);
  std::vector<StampedWrite> writes;
  onTimers([&] { writes = port.take(); });
  if (writes.empty() || writes.front().value != 0) fail("the click did not write 0 first");
  RunFigures figures;
  figures.measured = true;
  figures.timing =
      measureTiming(scheduleOfRun(run), writes.front().done, {writes.begin() + 1, writes.end()});
  if (wakeups) figures.wakeups = *wakeups;
  return figures;
}

long threadVoluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

IdleFigures measureIdle(qt::StepThread& steps, milliseconds span, std::atomic<int>& wakeups) {
  wakeups = 0;
  long before = 0;
  long after = 0;
  steps.run([&] { before = threadVoluntarySwitches(); });
  runEventLoop(span);
  steps.run([&] { after = threadVoluntarySwitches(); });
  // The step thread waits once after the first call, and wakes for the second.
  return {true, wakeups, after - before - 1};
}

// The folder the programs keep the default register in: $XDG_RUNTIME_DIR
// when that is set (a tmpfs in a desktop session), else the temporary folder,
// as /tmp/velmo-<uid> is.
std::filesystem::path registerParent() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime && runtime[0] == '/' ? std::filesystem::path(runtime)
                                      : std::filesystem::temp_directory_path();
}

// The kind of file system folder is on, as the figures depend on it.
std::string fileSystemOf(const std::string& folder) {
  struct statfs status {};
  if (statfs(folder.c_str(), &status) != 0) return "an unknown file system";
  switch (static_cast<unsigned long>(status.f_type)) {
    case 0x01021994:
      return "tmpfs";
    case 0xEF53:
      return "ext4";
    case 0x9123683E:
      return "btrfs";
    case 0x58465342:
      return "xfs";
    default:
      char text[48];
      std::snprintf(text, sizeof text, "a file system of type 0x%lx",
                    static_cast<unsigned long>(status.f_type));
      return text;
  }
}

// The port library beside the programs, on the default simulated register
// in folder, traced into a file there when asked.
void usePortLibraryIn(const TempFolder& folder, bool traced) {
  setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
  unsetenv("VELMO_PORT");
  if (traced) {
    setenv("VELMO_PORT_TRACE", (folder / "trace").c_str(), 1);
  } else {
    unsetenv("VELMO_PORT_TRACE");
  }
}

bool runsRealTime(pid_t thread) {
  const int policy = sched_getscheduler(thread);
  return policy >= 0 && ((policy & ~SCHED_RESET_ON_FORK) == SCHED_FIFO ||
                         (policy & ~SCHED_RESET_ON_FORK) == SCHED_RR);
}

VariantFigures measureRealTime(const Options& options, bool withIdle) {
  QCoreApplication application(options.argc, options.argv);
  qt::StepThread steps;
  const MonotonicClock clock;
  LibraryPort library(VELMO_PORT_LIBRARY);
  StampingPort port(library, clock);
  std::atomic<int> wakeups = 0;  // every wake-up, the early ones before each due instant included
  std::unique_ptr<chaser::Chaser> chaser;
  const OnTimers onSteps = [&](const std::function<void()>& work) { steps.run(work); };
  steps.run([&] {
    steps.driver().setWakeObserver([&](Instant due) { port.woke(due); });
    QObject::connect(steps.driver().findChild<QSocketNotifier*>(), &QSocketNotifier::activated,
                     [&] { ++wakeups; });
    chaser = std::make_unique<chaser::Chaser>(steps.scheduler(), port, "", exampleSetting);
    chaser->Form_Load();
    chaser->setUserPatterns({benchUserPattern()});
  });
  qt::raiseStepWorkToRealTime(steps.threadId());

  VariantFigures figures;
  figures.realTime = runsRealTime(steps.threadId());
  const std::function<void()> clicks[kRunCount] = {
      [&] { chaser->Command1_Click(); }, [&] { chaser->Command3_Click(); },
      [&] { chaser->click(benchUserPattern().number); },
      [&] {
        chaser->setSpeed(kFastSpeed);
        chaser->Command1_Click();
      }};
  for (int run = 0; run < kRunCount; ++run) {
    figures.runs[run] = measureRun(onSteps, port, clicks[run], run, options.span, &wakeups);
  }
  steps.run([&] {
    chaser->setSpeed(1);
    chaser->Command4_Click();
  });
  if (withIdle) figures.idle = measureIdle(steps, std::min(options.span, kIdleSpan), wakeups);
  steps.run([&] { chaser.reset(); });
  return figures;
}

VariantFigures measureNaive(const Options& options) {
  QCoreApplication application(options.argc, options.argv);
  const MonotonicClock clock;
  LibraryPort library(VELMO_PORT_LIBRARY);
  StampingPort port(library, clock);
  VariantFigures figures;
  const OnTimers here = [](const std::function<void()>& work) { work(); };
  const PatternGroup groups[] = {pattern1(), pattern3()};
  for (const int run : {kPattern1, kPattern3}) {
    NaiveCascade cascade(port, groups[run]);
    figures.runs[run] = measureRun(
        here, port, [&] { cascade.start(); }, run, options.span, nullptr);
    cascade.stop();
  }
  return figures;
}

VariantFigures measureFloor(const Options& options) {
  const MonotonicClock clock;
  VariantFigures figures;
  for (int run = 0; run < kRunCount; ++run) {
    const CycleSchedule schedule = scheduleOfRun(run);
    const FloorRun floor = sleepThroughSchedule(schedule, options.span, clock);
    figures.runs[run].measured = true;
    figures.runs[run].timing = measureTiming(schedule, floor.click, floor.writes);
  }
  return figures;
}

VariantFigures measure(const Variant& variant, const Options& options, const TempFolder& folder) {
  usePortLibraryIn(folder, variant.traced);
  switch (variant.timers) {
    case Timers::kFloor:
      return measureFloor(options);
    case Timers::kRealTime:
      return measureRealTime(options, !variant.traced);
    case Timers::kNaive:
      return measureNaive(options);
  }
  fail("unknown variant");
}

// Runs measure in a child process, so each variant has its own environment,
// event loop and port library, and returns what it measured.
VariantFigures inChild(const std::function<VariantFigures()>& measure) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) fail("pipe failed");
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) fail("fork failed");
  if (child == 0) {
    close(pipeEnds[0]);
    const VariantFigures figures = measure();
    const bool sent = write(pipeEnds[1], &figures, sizeof figures) == sizeof figures;
    std::fflush(nullptr);
    _exit(sent ? 0 : 1);
  }
  close(pipeEnds[1]);
  VariantFigures figures;
  const ssize_t got = read(pipeEnds[0], &figures, sizeof figures);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (got != sizeof figures || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fail("a measuring process failed");
  }
  return figures;
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

void printErrorRow(const char* pattern, const char* timers, const RunFigures& run) {
  const TimingFigures& f = run.timing;
  const std::string wakeups = run.wakeups >= 0 ? std::to_string(run.wakeups) : "-";
  std::printf("%-12s %-18s %6zu %6zu %6zu %6zu %8.3f %8.3f %8.3f %8.3f %8s\n", pattern, timers,
              f.writes, f.wrongBytes, f.cycles, f.early, f.p50, f.p99, f.max, f.drift,
              wakeups.c_str());
}

std::string spreadText(const Spread& spread) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f / %.3f", spread.p50, spread.p99);
  return text;
}

void printStageRow(const char* pattern, const char* timers, const RunFigures& run) {
  const StageFigures& s = run.timing.stages;
  std::printf("%-12s %-18s %14s %14s %14s %14s %14s\n", pattern, timers,
              spreadText(s.toWake).c_str(), spreadText(s.toCall).c_str(),
              spreadText(s.dueToCall).c_str(), spreadText(s.inPort).c_str(),
              spreadText(s.toDone).c_str());
}

void printErrorTable(const std::vector<VariantFigures>& figures) {
  std::printf("%-12s %-18s %6s %6s %6s %6s %8s %8s %8s %8s %8s\n", "pattern", "timers", "writes",
              "wrong", "cycles", "early", "p50", "p99", "max", "drift", "wake-ups");
  for (int run = 0; run < kRunCount; ++run) {
    bool first = true;
    for (std::size_t i = 0; i < figures.size(); ++i) {
      if (!figures[i].runs[run].measured) continue;
      printErrorRow(first ? kRunNames[run] : "", kVariants[i].name, figures[i].runs[run]);
      first = false;
    }
    if (!figures[kNaive].runs[run].measured) continue;
    const TimingFigures& o = figures[kRealTime].runs[run].timing;
    const TimingFigures& n = figures[kNaive].runs[run].timing;
    std::printf("%-12s %-18s %27s %8s %8s %8s %8s\n", "", "naive / real-time", "",
                ratio(n.p50, o.p50).c_str(), ratio(n.p99, o.p99).c_str(),
                ratio(n.max, o.max).c_str(), ratio(n.drift, o.drift).c_str());
  }
}

void printStageTable(const std::vector<VariantFigures>& figures) {
  std::printf("%-12s %-18s %14s %14s %14s %14s %14s\n", "pattern", "timers", "due -> wake",
              "wake -> call", "due -> call", "in port", "due -> done");
  for (int run = 0; run < kRunCount; ++run) {
    bool first = true;
    for (std::size_t i = 0; i < figures.size(); ++i) {
      if (!figures[i].runs[run].timing.staged) continue;
      printStageRow(first ? kRunNames[run] : "", kVariants[i].name, figures[i].runs[run]);
      first = false;
    }
  }
}

void printLoadTable(const std::vector<VariantFigures>& idle,
                    const std::vector<VariantFigures>& loaded) {
  std::printf("%-12s %-18s %8s %8s %8s %8s %8s %6s\n", "pattern", "timers", "idle p50", "p99",
              "load p50", "p99", "max", "early");
  for (int run = 0; run < kRunCount; ++run) {
    for (std::size_t i = 0; i < std::size(kLoadedVariants); ++i) {
      const TimingFigures& quiet = idle[kLoadedVariants[i]].runs[run].timing;
      const TimingFigures& busy = loaded[i].runs[run].timing;
      std::printf("%-12s %-18s %8.3f %8.3f %8.3f %8.3f %8.3f %6zu\n", i == 0 ? kRunNames[run] : "",
                  kVariants[kLoadedVariants[i]].name, quiet.p50, quiet.p99, busy.p50, busy.p99,
                  busy.max, busy.early);
    }
  }
}

const char* grantedText(bool realTime) {
  return realTime ? "granted" : "not granted";
}

int run(int argc, char** argv) {
  const std::optional<milliseconds> span = parseRunSpan(argc, argv);
  if (!span) {
    std::fprintf(stderr, "usage: step_timing_bench [--seconds N]   (N > 0, per pattern run)\n");
    return 2;
  }
  Options options{*span, argc, argv};
  const TempFolder folder(registerParent());
  const double seconds = static_cast<double>(span->count()) / 1000;
  const double idleSeconds = static_cast<double>(std::min(*span, kIdleSpan).count()) / 1000;
  std::fprintf(
      stderr,
      "running %zu x %d x %.1f s of patterns and %.1f s idle, then %zu x %d under load ...\n",
      std::size(kVariants), kRunCount, seconds, idleSeconds, std::size(kLoadedVariants), kRunCount);
  std::vector<VariantFigures> figures;
  for (const Variant& variant : kVariants) {
    figures.push_back(inChild([&] { return measure(variant, options, folder); }));
  }
  std::vector<VariantFigures> loaded;
  {
    const auto bound = std::chrono::duration_cast<std::chrono::seconds>(
        *span * kRunCount * std::size(kLoadedVariants) + 60s);
    const BusyLoad load(kBusyLoops, bound);
    for (const std::size_t variant : kLoadedVariants) {
      loaded.push_back(inChild([&] { return measure(kVariants[variant], options, folder); }));
    }
  }

  std::printf(
      "Step timing of the chaser, example intervals, %.1f s per run, each write through\n"
      "libvelmoport.so to the default simulated register, in a temporary folder on %s.\n"
      "user pattern = steps 3, 12, 48, 192 at 120, 120, 60, 60 ms; 1 at speed 2 = pattern 1 with\n"
      "every step time halved. Real-time priority of the step thread: %s.\n"
      "Error of each write = |instant the port call returned - ideal instant from the click's 0| "
      "(ms):\n"
      "p50, p99, max; early = writes before their instant; drift = mean lateness of the last\n"
      "complete cycle minus that of the first; wake-ups = real-time driver wake-ups during the\n"
      "run, the early ones before each due instant included.\n"
      "sleep floor = a thread sleeping to each instant (clock_nanosleep, 1 ns timer slack,\n"
      "normal priority), no event loop and no port; traced = with VELMO_PORT_TRACE.\n\n",
      seconds, fileSystemOf(folder.path()).c_str(), grantedText(figures[kRealTime].realTime));
  printErrorTable(figures);
  std::printf(
      "\nWhere the time goes, ms p50 / p99 over the first write of each wake-up: due -> wake =\n"
      "from the due instant to the driver's wake-up (kernel timer, scheduling, event loop);\n"
      "wake -> call = on to the handler's port call (scheduler, handler); due -> call = the two\n"
      "together, when the handler writes; in port = the port call (library, register, trace);\n"
      "due -> done = the whole way.\n\n");
  printStageTable(figures);
  const IdleFigures& idle = figures[kRealTime].idle;
  std::printf(
      "\nIdle %.1f s after \"Deaktiver\": real-time driver wake-ups %d, step-thread "
      "wake-ups %ld.\n",
      idleSeconds, idle.driverWakeups, idle.threadWakeups);
  std::printf(
      "\nUnder load: %d busy loops at normal priority beside the run (real-time priority %s),\n"
      "error in ms, beside the idle figures above.\n\n",
      kBusyLoops, grantedText(loaded[1].realTime));
  printLoadTable(figures, loaded);
  return 0;
}

}  // namespace
}  // namespace velmo::bench

int main(int argc, char** argv) {
  return velmo::bench::run(argc, argv);
}
