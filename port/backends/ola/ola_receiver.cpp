// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ola/ola_receiver.h"

#include "port/backends/ola/ola_connection.h"
#include "port/backends/reconnect_delay.h"

namespace velmo::port {
namespace {

// How often the thread looks whether it is told to stop while frames come.
constexpr std::chrono::milliseconds kStopLook{100};

}  // namespace

OlaReceiver::OlaReceiver(std::uint32_t universe, unsigned rpcPort, FrameHandler onFrame,
                         PresenceHandler onPresence)
    : universe_(universe),
      rpcPort_(rpcPort),
      onFrame_(std::move(onFrame)),
      onPresence_(std::move(onPresence)),
      thread_([this] { run(); }) {}

OlaReceiver::~OlaReceiver() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void OlaReceiver::run() {
  unsigned failures = 0;
  while (!stopping_) {
    try {
      OlaConnection olad(rpcPort_, "velmo-remote --dmx-in UNIVERSE@RPCPORT");
      olad.receive(universe_,
                   [this](const ola::DmxBuffer& frame) { onFrame_(frame.GetRaw(), frame.Size()); });
      if (failures > 0) onPresence_(false, {});
      failures = 0;
      while (!stopping_) olad.wait(kStopLook);
    } catch (const OlaFailure& failure) {
      if (++failures == 1) onPresence_(true, failure.what());
      pause(reconnectDelay(failures));
    }
  }
}

void OlaReceiver::pause(std::chrono::milliseconds span) {
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, span, [this] { return stopping_.load(); });
}

}  // namespace velmo::port
