#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"
#include "shared/port.h"

namespace velmo::bench {

struct PortWrite {
  Instant at;  // CLOCK_MONOTONIC
  std::uint8_t value;
};

// A port that keeps every byte written with the instant it was written.
class RecordingPort final : public Port {
 public:
  // Room for far more writes than a run makes, so recording never reallocates mid-run.
  RecordingPort() { writes_.reserve(1 << 16); }

  const std::vector<PortWrite>& writes() const { return writes_; }
  void clear() { writes_.clear(); }

 protected:
  void writeByte(int, std::uint8_t value) override {
    writes_.push_back({clock_.now(), value});
    latch_ = value;
  }
  std::uint8_t readByte(int) override { return latch_; }

 private:
  MonotonicClock clock_;
  std::vector<PortWrite> writes_;
  std::uint8_t latch_ = 0;
};

}  // namespace velmo::bench
