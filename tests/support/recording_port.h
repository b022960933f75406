// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "port_client/port.h"
#include "timers/clock.h"
#include "timers/virtual_timeline.h"

namespace velmo::test {

// What happened, in order, as a test's fakes log it ("out 888 1", "read ...").
using EventLog = std::vector<std::string>;

// One access to a RecordingPort.
struct PortAccess {
  enum class Direction { kOut, kIn };
  Direction direction;
  int port;
  std::uint8_t value;
  Instant at;  // on the port's clock
};

// A data register that records every access with its instant on a clock, and
// logs it as "out <port> <byte>" or "in <port> <byte>" into an event log when
// given one. Reads return reg. Clock and log must outlive the port.
class RecordingPort final : public Port {
 public:
  explicit RecordingPort(const Clock& clock) : clock_(clock) {}
  RecordingPort(const Clock& clock, EventLog& log) : clock_(clock), log_(&log) {}
  // For tests that do not look at instants: every access is at 0.
  explicit RecordingPort(EventLog& log) : RecordingPort(kStill, log) {}

  // The register: the last byte written, or one a test put there to play
  // another program's write.
  int reg = 0;

  // Every access since the start or since they were last taken or cleared.
  const std::vector<PortAccess>& accesses() const { return accesses_; }
  void clear() { accesses_.clear(); }

  // The writes among the accesses as "<ms>:<byte>", ms on the clock; the
  // accesses are cleared.
  std::vector<std::string> takeWrites() {
    std::vector<std::string> writes;
    for (const PortAccess& access : std::exchange(accesses_, {})) {
      if (access.direction != PortAccess::Direction::kOut) continue;
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(access.at).count();
      writes.push_back(std::to_string(ms) + ":" + std::to_string(access.value));
    }
    return writes;
  }

 protected:
  void writeByte(int port, std::uint8_t value) override {
    reg = value;
    record(PortAccess::Direction::kOut, port, value);
  }
  std::uint8_t readByte(int port) override {
    const auto value = static_cast<std::uint8_t>(reg);
    record(PortAccess::Direction::kIn, port, value);
    return value;
  }

 private:
  inline static const VirtualClock kStill{};

  void record(PortAccess::Direction direction, int port, std::uint8_t value) {
    accesses_.push_back({direction, port, value, clock_.now()});
    if (log_ == nullptr) return;
    log_->push_back((direction == PortAccess::Direction::kOut ? "out " : "in ") +
                    std::to_string(port) + " " + std::to_string(value));
  }

  const Clock& clock_;
  EventLog* log_ = nullptr;
  std::vector<PortAccess> accesses_;
};

}  // namespace velmo::test
