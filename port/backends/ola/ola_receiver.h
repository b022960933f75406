// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace velmo::port {

// The frames of an OLA universe, taken from olad on a thread of their own:
// registered for at once, and again whenever olad was away (not running yet,
// stopped, restarted), tried again at once, then after 0.1, 0.2, 0.4, 0.8
// and 1.6 s and from then on every 2 s, as the output lines are.
class OlaReceiver {
 public:
  // Gets each frame: the universe's channels from channel 1, count of them.
  using FrameHandler = std::function<void(const std::uint8_t* channels, unsigned count)>;
  // Gets away = true with why (sentences naming olad and what to do) when
  // olad cannot be reached, the first time since it could; away = false when
  // the frames come again.
  using PresenceHandler = std::function<void(bool away, const std::string& why)>;

  // Starts taking the frames of universe from the olad on rpcPort of this
  // machine. Both handlers run on the receiver's thread.
  OlaReceiver(std::uint32_t universe, unsigned rpcPort, FrameHandler onFrame,
              PresenceHandler onPresence);
  // Stops the thread; no handler runs once this returns.
  ~OlaReceiver();
  OlaReceiver(const OlaReceiver&) = delete;
  OlaReceiver& operator=(const OlaReceiver&) = delete;

 private:
  void run();
  // Waits span, or less when the receiver is told to stop.
  void pause(std::chrono::milliseconds span);

  std::uint32_t universe_;
  unsigned rpcPort_;
  FrameHandler onFrame_;
  PresenceHandler onPresence_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace velmo::port
