// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "port_client/port.h"
#include "timers/clock.h"

namespace velmo::bench {

// A wake-up of the real-time driver: the instant it was armed for (the
// step's due instant) and the instant its handlers started to run.
struct Wake {
  Instant due;
  Instant at;
};

// One write with the instants of its way: the wake-up that ran its handler
// (none for a click or a plain QTimer), the handler's call into the port and
// the port's return, when the byte is written (and traced).
struct StampedWrite {
  std::uint8_t value;
  std::optional<Wake> wake;
  Instant called;
  Instant done;
};

// A port that passes every access on to another port and stamps each write
// on clock. Both must outlive it.
class StampingPort final : public Port {
 public:
  StampingPort(Port& port, const Clock& clock);

  // Stamps a wake-up of the driver armed for due; the writes that follow
  // belong to it until the next wake-up or take().
  void woke(Instant due);

  // The writes since the start or the last take(), in order.
  std::vector<StampedWrite> take();

 protected:
  void writeByte(int port, std::uint8_t value) override;
  std::uint8_t readByte(int port) override;

 private:
  Port& port_;
  const Clock& clock_;
  std::optional<Wake> wake_;
  std::vector<StampedWrite> writes_;
};

}  // namespace velmo::bench
