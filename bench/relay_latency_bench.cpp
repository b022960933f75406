// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how long a write takes to reach a relay board through the real
// libvelmoport.so: serial: to a fake board on a pseudo-terminal that stamps
// every frame, and mqtt: (with --mqtt-port) to a subscriber of the broker
// that stamps every message. Then whether a step waits on a slow device:
// the board stops reading until its port takes no more (the port library
// calls it away after 2 s), or the broker is stopped (SIGSTOP), while the
// writes go on every 2 ms.
//
//   bench/relay_latency.sh [BUILD_DIR]    starts a mosquitto of its own, runs this
//   relay_latency_bench [--mqtt-port PORT --broker-pid PID] [--writes N]
//   (the MQTT user is velmo, its password in $XDG_CONFIG_HOME/velmo/mqtt-password)
#include <fcntl.h>
#include <mosquitto.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/timing_figures.h"
#include "port/backends/serial_frame.h"
#include "port_client/port.h"
#include "system/mqtt_password.h"
#include "system/temp_folder.h"

namespace velmo::bench {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kStep{20};       // a fast chaser
constexpr milliseconds kFastStep{2};    // while the device is slow
constexpr milliseconds kSlowFor{4000};  // the device takes nothing

// The instants the device got something, for the writes to wait on.
class Arrivals {
 public:
  void add() {
    const std::lock_guard lock(mutex_);
    times_.push_back(Clock::now());
  }
  // The instant of the count-th arrival (from 1), waiting 5 s at most.
  std::optional<Clock::time_point> await(std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
      {
        const std::lock_guard lock(mutex_);
        if (times_.size() >= count) return times_[count - 1];
      }
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return std::nullopt;
  }
  std::size_t size() {
    const std::lock_guard lock(mutex_);
    return times_.size();
  }

 private:
  std::mutex mutex_;
  std::vector<Clock::time_point> times_;
};

// "Løpelys 1": one lit line walking; every step changes two lines (the
// first one line), so the device gets two frames or messages.
std::uint8_t walk(int step) {
  return static_cast<std::uint8_t>(1u << (step % 8));
}

void print(const char* what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const Spread spread = spreadOf(values);
  std::printf("  %-44s p50 %7.3f  p99 %7.3f  max %7.3f ms (%zu)\n", what, spread.p50, spread.p99,
              values.empty() ? 0.0 : values.back(), values.size());
}

double msSince(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double, std::milli>(end - start).count();
}

// Writes count steps, step apart, and the time each call took; with
// arrivals, also from each call to the device's last arrival of its step.
void writeSteps(LibraryPort& port, int count, milliseconds step, Arrivals* arrivals,
                std::vector<double>& calls, std::vector<double>* toDevice,
                std::uint8_t (*value)(int) = walk) {
  std::size_t expected = arrivals ? arrivals->size() : 0;
  auto due = Clock::now();
  for (int i = 0; i < count; ++i) {
    std::this_thread::sleep_until(due += step);
    const auto called = Clock::now();
    port.PortOut(kDataPort, value(i + 1));
    calls.push_back(msSince(called, Clock::now()));
    if (!toDevice) continue;
    expected += 2;
    if (const auto arrived = arrivals->await(expected))
      toDevice->push_back(msSince(called, *arrived));
  }
}

// Every line changes at every step: a serial board gets 32 bytes.
std::uint8_t toggleAll(int step) {
  return step % 2 ? 0x55 : 0xAA;
}

// The headlines of the library's notices so far.
void printNotices(LibraryPort& port) {
  while (const auto notice = port.nextNotice()) {
    std::printf("    notice: %s\n", notice->substr(0, notice->find('\n')).c_str());
  }
}

// The slow phase: writes every kFastStep for kSlowFor, and the notices the
// library gave meanwhile.
void writeWhileSlow(LibraryPort& port, const char* what) {
  std::vector<double> calls;
  writeSteps(port, static_cast<int>(kSlowFor / kFastStep), kFastStep, nullptr, calls, nullptr,
             toggleAll);
  print(what, calls);
  printNotices(port);
}

// serial: a board on a pseudo-terminal in a thread of this process.
void runSerial(int writes) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  grantpt(master);
  unlockpt(master);
  setenv("VELMO_PORT", (std::string("serial:") + ptsname(master)).c_str(), 1);
  Arrivals frames;
  std::atomic<bool> reading = true;
  std::atomic<bool> stop = false;
  std::thread board([&] {
    std::vector<std::uint8_t> partial;
    while (!stop) {
      pollfd wait{master, POLLIN, 0};
      if (!reading || poll(&wait, 1, 10) <= 0) {
        if (!reading) std::this_thread::sleep_for(milliseconds(10));
        continue;
      }
      std::uint8_t bytes[256];
      const ssize_t got = read(master, bytes, sizeof bytes);
      for (ssize_t i = 0; i < got; ++i) {
        partial.push_back(bytes[i]);
        if (partial.size() == 4) {
          frames.add();
          partial.clear();
        }
      }
    }
  });
  LibraryPort port(VELMO_PORT_LIBRARY);
  port.PortOut(kDataPort, walk(0));
  frames.await(8);
  std::vector<double> calls;
  std::vector<double> toBoard;
  writeSteps(port, writes, kStep, &frames, calls, &toBoard);
  std::printf("serial: through a pseudo-terminal, %d steps %lld ms apart\n", writes,
              static_cast<long long>(kStep.count()));
  print("the PortOut call", calls);
  print("from the call to the step's last frame", toBoard);
  reading = false;
  writeWhileSlow(port, "the PortOut call while the board reads nothing");
  reading = true;
  std::this_thread::sleep_for(std::chrono::seconds(3));  // back, and told so
  printNotices(port);
  stop = true;
  board.join();
}

// mqtt: a subscriber of the broker in this process, on the library's topics.
void runMqtt(unsigned brokerPort, pid_t broker, int writes) {
  const std::string topic = "bench/relays/POWER";
  setenv("VELMO_PORT",
         ("mqtt:velmo@127.0.0.1:" + std::to_string(brokerPort) + "/" + topic + "{line}").c_str(),
         1);
  mosquitto_lib_init();
  Arrivals messages;
  mosquitto* subscriber = mosquitto_new(nullptr, true, &messages);
  mosquitto_username_pw_set(subscriber, "velmo", readMqttPassword(mqttPasswordPath()).c_str());
  mosquitto_message_callback_set(subscriber,
                                 [](mosquitto*, void* arrivals, const mosquitto_message*) {
                                   static_cast<Arrivals*>(arrivals)->add();
                                 });
  int result = mosquitto_connect(subscriber, "127.0.0.1", static_cast<int>(brokerPort), 10);
  if (result == MOSQ_ERR_SUCCESS) {
    result = mosquitto_subscribe(subscriber, nullptr, "bench/relays/#", 1);
  }
  if (result != MOSQ_ERR_SUCCESS) {
    std::fprintf(stderr, "cannot subscribe on port %u: %s\n", brokerPort,
                 mosquitto_strerror(result));
    std::exit(1);
  }
  mosquitto_loop_start(subscriber);
  std::this_thread::sleep_for(milliseconds(200));
  LibraryPort port(VELMO_PORT_LIBRARY);
  port.PortOut(kDataPort, walk(0));
  messages.await(8);
  std::vector<double> calls;
  std::vector<double> toSubscriber;
  writeSteps(port, writes, kStep, &messages, calls, &toSubscriber);
  std::printf("mqtt: through mosquitto on loopback, %d steps %lld ms apart\n", writes,
              static_cast<long long>(kStep.count()));
  print("the PortOut call", calls);
  print("from the call to the step's last message", toSubscriber);
  if (broker > 0) {
    kill(broker, SIGSTOP);
    writeWhileSlow(port, "the PortOut call while the broker is stopped");
    kill(broker, SIGCONT);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    printNotices(port);
  }
  mosquitto_loop_stop(subscriber, true);
}

// Each run in a child process of its own, which loads the library afresh.
template <typename Run>
void inChild(Run run) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    run();
    std::fflush(stdout);
    std::_Exit(0);
  }
  waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace velmo::bench

int main(int argc, char** argv) {
  unsigned mqttPort = 0;
  pid_t broker = 0;
  int writes = 300;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    const long value = std::strtol(argv[i + 1], nullptr, 10);
    if (flag == "--mqtt-port") mqttPort = static_cast<unsigned>(value);
    if (flag == "--broker-pid") broker = static_cast<pid_t>(value);
    if (flag == "--writes") writes = static_cast<int>(value);
  }
  velmo::TempFolder runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  velmo::bench::inChild([&] { velmo::bench::runSerial(writes); });
  if (mqttPort != 0)
    velmo::bench::inChild([&] { velmo::bench::runMqtt(mqttPort, broker, writes); });
}
