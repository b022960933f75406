// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how late the chaser's steps reach a DMX universe through OLA: the
// real chaser cascade on the real-time driver writes through the real
// libvelmoport.so (VELMO_PORT=ola:1@PORT) and its OLA module to olad, and a
// client registered for the universe stamps every frame it receives. Then
// the latch window: with a second program on the universe, how long after a
// write its stale frame stops outweighing it (in HTP mode), once it has
// followed.
//
//   bench/ola_latency.sh [BUILD_DIR]   starts an olad of its own, runs this
//   ola_latency_bench --rpc-port PORT [--seconds N] [--trials N] [--merge htp|ltp]

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/example_cascade.h"
#include "bench/ola_frame_recorder.h"
#include "bench/timing_figures.h"
#include "chaser/chaser.h"
#include "port_client/port.h"
#include "qt/realtime_timer_driver.h"
#include "timers/clock.h"
#include "timers/timer_scheduler.h"

namespace velmo::bench {
namespace {

using std::chrono::milliseconds;

struct Options {
  unsigned rpcPort = 0;
  milliseconds span{10000};
  int trials = 200;
  bool latestWins = false;  // the universe's merge mode: LTP, else HTP
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const std::string text = argv[i + 1];
    const double value = std::strtod(argv[i + 1], nullptr);
    if (flag == "--merge" && (text == "htp" || text == "ltp")) {
      options.latestWins = text == "ltp";
    } else if (flag == "--rpc-port" && value >= 1 && value <= 65535) {
      options.rpcPort = static_cast<unsigned>(value);
    } else if (flag == "--seconds" && value > 0 && value <= 3600) {
      options.span = milliseconds{std::lround(value * 1000)};
    } else if (flag == "--trials" && value >= 1 && value <= 100000) {
      options.trials = static_cast<int>(value);
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && options.rpcPort != 0;
}

// The real port library, with the instant of every write call.
class StampedLibraryPort final : public Port {
 public:
  explicit StampedLibraryPort(std::string libraryPath) : library_(std::move(libraryPath)) {}
  const std::vector<StampedWrite>& writes() const { return writes_; }
  void clear() { writes_.clear(); }

 protected:
  void writeByte(int port, std::uint8_t value) override {
    const Instant called = clock_.now();
    writes_.push_back({value, std::nullopt, called, called});
    library_.PortOut(port, value);
  }
  std::uint8_t readByte(int port) override {
    return static_cast<std::uint8_t>(library_.PortIn(port));
  }

 private:
  MonotonicClock clock_;
  LibraryPort library_;
  std::vector<StampedWrite> writes_;
};

// The frame that carries each step of a run since its click, in order: the
// first frame with the step's byte after the frame of the step before. The
// frames skipped carry the last byte of the run before, refreshes, or a byte
// the next write replaced at once (Timer20 darkens the centre pair and
// lights the outer lines in one instant), which the port library may send
// or leave out: it sends the latest byte when it gets to it.
std::vector<StampedWrite> framesOfSteps(const CycleSchedule& schedule,
                                        const std::vector<StampedWrite>& frames, Instant since) {
  std::vector<StampedWrite> carried;
  auto frame = frames.begin();
  for (std::size_t step = 0;; ++step) {
    const std::uint8_t value = schedule.writes[step % schedule.writes.size()].value;
    frame = std::find_if(frame, frames.end(), [&](const StampedWrite& candidate) {
      return candidate.done >= since && candidate.value == value;
    });
    if (frame == frames.end()) return carried;
    carried.push_back(*frame++);
  }
}

// The schedule with the writes of one instant taken as its last one.
CycleSchedule framesOf(CycleSchedule schedule) {
  auto& writes = schedule.writes;
  for (std::size_t i = writes.size(); i-- > 1;) {
    if (writes[i - 1].offset == writes[i].offset) writes.erase(writes.begin() + i - 1);
  }
  return schedule;
}

void runEventLoop(milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// How long after the write call of its step each frame came (ms): the
// latest write of the frame's byte before it, since the steps before and
// after a step write other bytes.
std::vector<double> callToFrame(const std::vector<StampedWrite>& writes,
                                const std::vector<StampedWrite>& frames) {
  std::vector<double> spans;
  for (const StampedWrite& frame : frames) {
    const auto write = std::find_if(writes.rbegin(), writes.rend(), [&](const StampedWrite& call) {
      return call.called <= frame.done && call.value == frame.value;
    });
    if (write != writes.rend()) spans.push_back(toMs(frame.done - write->called));
  }
  return spans;
}

void printRow(const char* pattern, const char* what, const TimingFigures& f) {
  std::printf("%-10s %-16s %6zu %6zu %9.3f %9.3f %9.3f\n", pattern, what, f.writes, f.wrongBytes,
              f.p50, f.p99, f.max);
}

void printRow(const char* what, const std::vector<double>& spans) {
  const Spread spread = spreadOf(spans);
  const double max = spans.empty() ? 0 : *std::max_element(spans.begin(), spans.end());
  std::printf("%-10s %-16s %6zu %6s %9.3f %9.3f %9.3f\n", "", what, spans.size(), "", spread.p50,
              spread.p99, max);
}

// Clicks, runs span, and prints the lateness of the write calls and of the
// frames that carry them, after the click's 0, and the time in between.
void measurePattern(const char* name, const std::function<void()>& click, const PatternGroup& group,
                    StampedLibraryPort& port, OlaFrameRecorder& recorder, milliseconds span) {
  port.clear();
  click();
  runEventLoop(span);
  const Instant clicked = port.writes().front().called;
  const CycleSchedule schedule = scheduleOf(group);
  printRow(name, "port write",
           measureTiming(schedule, clicked, {port.writes().begin() + 1, port.writes().end()}));
  const CycleSchedule steps = framesOf(schedule);
  const std::vector<StampedWrite> frames = framesOfSteps(steps, recorder.frames(), clicked);
  printRow("", "frame received", measureTiming(steps, clicked, frames));
  printRow("call to frame", callToFrame(port.writes(), frames));
}

// A second program on the universe: a child process that writes each byte
// read from its command pipe through its own libvelmoport.so, then answers.
struct OtherProgram {
  pid_t pid = -1;
  int commands = -1;
  int answers = -1;

  void write(std::uint8_t value) const {
    char answer = 0;
    if (::write(commands, &value, 1) != 1 || ::read(answers, &answer, 1) != 1 || answer != 0) {
      std::fprintf(stderr, "ola_latency_bench: the second program failed\n");
      std::exit(1);
    }
  }
};

OtherProgram startOtherProgram(const std::string& libraryPath) {
  int commands[2];
  int answers[2];
  if (pipe(commands) != 0 || pipe(answers) != 0) std::exit(1);
  const pid_t pid = fork();
  if (pid == 0) {
    close(commands[1]);
    close(answers[0]);
    LibraryPort port(libraryPath);
    std::uint8_t value = 0;
    while (read(commands[0], &value, 1) == 1) {
      char failed = 0;
      try {
        port.PortOut(kDataPort, value);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "second program: %s\n", error.what());
        failed = 1;
      }
      if (::write(answers[1], &failed, 1) != 1) break;
    }
    _exit(0);
  }
  close(commands[0]);
  close(answers[1]);
  return {pid, commands[1], answers[0]};
}

// Each trial: the other program lights line 1 and this one follows; then
// this one writes 0. In HTP mode, until the other has followed, its stale
// frame keeps line 1 lit in the merge. olad passes a merge on to its
// clients only when it changes, so the first frame the recorder sees after
// the write is the dark one.
void measureLatchWindow(StampedLibraryPort& port, const OtherProgram& other,
                        OlaFrameRecorder& recorder, int trials) {
  MonotonicClock clock;
  std::vector<double> call;
  std::vector<double> settled;
  for (int trial = 0; trial < trials; ++trial) {
    const Instant lit = clock.now();
    other.write(1);
    if (!recorder.waitFor(lit, [](std::uint8_t byte) { return byte == 1; })) break;
    port.PortIn(kDataPort);  // both processes now hold a frame with line 1 lit
    const Instant written = clock.now();
    port.PortOut(kDataPort, 0);
    const Instant taken = clock.now();
    const auto dark = recorder.waitFor(written, [](std::uint8_t byte) { return byte == 0; });
    if (!dark) break;
    call.push_back(toMs(taken - written));
    settled.push_back(toMs(dark->done - written));
  }
  if (settled.empty()) {
    std::printf("\nLatch window: no trial completed.\n");
    return;
  }
  std::printf(
      "\nLatch window, two programs, %zu trials, after a write of 0 over the other's 1 (ms):\n"
      "%-44s %9s %9s %9s\n",
      settled.size(), "", "p50", "p99", "max");
  const auto row = [](const char* what, const std::vector<double>& values) {
    const Spread spread = spreadOf(values);
    std::printf("%-44s %9.3f %9.3f %9.3f\n", what, spread.p50, spread.p99,
                *std::max_element(values.begin(), values.end()));
  };
  row("write call", call);
  row("write call to the dark frame at a client", settled);
}

int run(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: ola_latency_bench --rpc-port PORT [--seconds N] [--trials N] "
                 "[--merge htp|ltp]\n"
                 "(bench/ola_latency.sh starts an olad and runs it)\n");
    return 2;
  }
  // The register goes to a folder of the bench's own, not the user's. The
  // port library's thread may make its folder anew while it is removed at the
  // end; ola_latency.sh runs the bench in a temporary folder of its own.
  const std::string runtime =
      std::filesystem::temp_directory_path() / ("velmo-ola-bench-" + std::to_string(getpid()));
  std::filesystem::create_directory(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("VELMO_PORT", ("ola:1@" + std::to_string(options.rpcPort)).c_str(), 1);
  unsetenv("VELMO_PORT_TRACE");
  const OtherProgram other = startOtherProgram(VELMO_PORT_LIBRARY);

  QCoreApplication application(argc, argv);
  OlaFrameRecorder recorder(options.rpcPort, 1, options.latestWins);
  qt::RealTimeTimerDriver driver;
  StampedLibraryPort port(VELMO_PORT_LIBRARY);
  chaser::Chaser chaser(driver.scheduler(), port, "", exampleSetting);
  chaser.Form_Load();

  const double seconds = static_cast<double>(options.span.count()) / 1000;
  std::fprintf(stderr, "running 2 x %.1f s of patterns and %d latch trials ...\n", seconds,
               options.trials);
  std::printf(
      "Chaser steps through OLA (olad on RPC port %u, universe 1, merge mode %s),\n"
      "example intervals, %.1f s per pattern. Lateness of each step from its ideal\n"
      "instant (ms): of the port write call, and of the frame that a client\n"
      "registered for the universe receives with the step's byte; and the time\n"
      "from the call to the frame.\n\n",
      options.rpcPort, options.latestWins ? "LTP" : "HTP", seconds);
  std::printf("%-10s %-16s %6s %6s %9s %9s %9s\n", "pattern", "measured at", "steps", "wrong",
              "p50", "p99", "max");
  measurePattern(
      "pattern 1", [&] { chaser.Command1_Click(); }, pattern1(), port, recorder, options.span);
  chaser.Command4_Click();
  measurePattern(
      "pattern 3", [&] { chaser.Command3_Click(); }, pattern3(), port, recorder, options.span);
  chaser.Command4_Click();
  measureLatchWindow(port, other, recorder, options.trials);

  close(other.commands);
  waitpid(other.pid, nullptr, 0);
  std::error_code ignored;
  std::filesystem::remove_all(runtime, ignored);
  return 0;
}

}  // namespace
}  // namespace velmo::bench

int main(int argc, char** argv) {
  return velmo::bench::run(argc, argv);
}
