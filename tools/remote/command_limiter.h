// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "tools/remote/command.h"

namespace velmo::remote {

// How often the remote lets a line switch, from all its fronts together:
// relays and motors wear out from a flood of switches. Each line, and the
// chaser, takes at most kMaxPerSecond commands in any second; the rest are
// dropped (never queued) and counted.
class CommandLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kMaxPerSecond = 20;

  // True when command may run at now; false when it is over its limit.
  bool admit(const Command& command, Clock::time_point now);

  // The commands dropped so far.
  std::uint64_t dropped() const { return dropped_; }

 private:
  // The instants of a line's last kMaxPerSecond commands, oldest at next.
  struct Recent {
    std::array<Clock::time_point, kMaxPerSecond> at{};
    std::size_t next = 0;
    int count = 0;
  };
  std::array<Recent, 1 + kLineCount> recent_{};  // [0]: the chaser, [N]: line N
  std::uint64_t dropped_ = 0;
};

}  // namespace velmo::remote
