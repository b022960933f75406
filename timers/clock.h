// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace velmo {

// Time on a monotonic axis whose origin is the clock's own.
using Instant = std::chrono::nanoseconds;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Instant now() const = 0;
};

// CLOCK_MONOTONIC, the clock of the event loop and of the port trace.
class MonotonicClock final : public Clock {
 public:
  Instant now() const override;
};

}  // namespace velmo
