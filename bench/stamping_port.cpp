// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/stamping_port.h"

#include <utility>

namespace velmo::bench {
namespace {

// Room for the writes of a long run, so stamping never allocates on the way
// of a step.
constexpr std::size_t kReservedWrites = 1 << 16;

}  // namespace

StampingPort::StampingPort(Port& port, const Clock& clock) : port_(port), clock_(clock) {
  writes_.reserve(kReservedWrites);
}

void StampingPort::woke(Instant due) {
  wake_ = Wake{due, clock_.now()};
}

std::vector<StampedWrite> StampingPort::take() {
  wake_.reset();
  std::vector<StampedWrite> writes = std::exchange(writes_, {});
  writes_.reserve(kReservedWrites);
  return writes;
}

void StampingPort::writeByte(int port, std::uint8_t value) {
  const Instant called = clock_.now();
  port_.PortOut(port, value);
  writes_.push_back({value, wake_, called, clock_.now()});
}

std::uint8_t StampingPort::readByte(int port) {
  return static_cast<std::uint8_t>(port_.PortIn(port));
}

}  // namespace velmo::bench
