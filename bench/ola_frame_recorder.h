// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "bench/stamping_port.h"
#include "timers/clock.h"

namespace ola {
class DmxBuffer;
namespace client {
class OlaClient;
struct DMXMetadata;
}  // namespace client
namespace io {
class SelectServer;
}
namespace network {
class TCPSocket;
}
}  // namespace ola

namespace velmo::bench {

// A client of olad registered for a universe, as a lighting node would be:
// on a thread of its own, it stamps every frame olad sends with
// CLOCK_MONOTONIC and keeps it as the byte of its first eight channels
// (bit N-1 set when channel N is above 127), called and done on arrival.
class OlaFrameRecorder {
 public:
  // Connects to olad on rpcPort of this machine, registers for universe
  // (which makes olad create it) and sets its merge mode to LTP when
  // latestWins, else HTP. Exits the program with a message when it cannot.
  OlaFrameRecorder(unsigned rpcPort, unsigned universe, bool latestWins);
  ~OlaFrameRecorder();
  OlaFrameRecorder(const OlaFrameRecorder&) = delete;
  OlaFrameRecorder& operator=(const OlaFrameRecorder&) = delete;

  std::vector<StampedWrite> frames() const;

  // The first frame since `since` (CLOCK_MONOTONIC) that fits, waiting up to
  // 5 s for it.
  std::optional<StampedWrite> waitFor(Instant since, const std::function<bool(std::uint8_t)>& fits);

 private:
  void takeFrame(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data);

  MonotonicClock clock_;
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<StampedWrite> frames_;
  std::unique_ptr<ola::io::SelectServer> selectServer_;
  std::unique_ptr<ola::network::TCPSocket> socket_;
  std::unique_ptr<ola::client::OlaClient> client_;
  std::thread thread_;
};

}  // namespace velmo::bench
