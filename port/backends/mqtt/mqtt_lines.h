// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "port/backends/output_lines.h"
#include "system/file_descriptor.h"

struct mosquitto;

namespace velmo::port {

// Where the lines go on an MQTT broker.
struct MqttTarget {
  bool tls = false;
  std::string host;
  unsigned port = 1883;
  std::string user;      // "" for none
  std::string password;  // USER's
  std::string on;        // the payloads
  std::string off;
  std::vector<std::string> topics;  // line N on topics[N-1]
};

// Smart relays on an MQTT broker through libmosquitto: each line a topic,
// published with QoS 1, not retained, only the lines that changed and all
// of them on every connection made. A thread of the lines' own keeps the
// connection, making it anew a second after it was lost; no call waits on
// the broker but the first check (bounded). The relays keep what they were
// sent.
class MqttLines final : public OutputLines {
 public:
  // Connects to nothing yet.
  explicit MqttLines(MqttTarget target);
  // Waits a second at most for the broker to take what was published.
  ~MqttLines() override;
  MqttLines(const MqttLines&) = delete;
  MqttLines& operator=(const MqttLines&) = delete;

  // Publishes the lines that changed. Throws OutputAwayError while the
  // broker is not connected.
  void write(std::uint8_t value) override;
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Connects at the first call, waiting 3 s at most for the broker's
  // answer. Throws PortAccessError when the broker refused the connection
  // (user, password, TLS), OutputAwayError while it is not connected.
  void check() override;

  // Readable once a connection was made, until the next check().
  int reachedDescriptor() const override { return reached_.get(); }

  void release() override;

 private:
  enum class State { kConnecting, kConnected, kAway, kRefused };

  void start();
  mosquitto* makeClient();
  void run();
  void lose(State state, const std::string& reason);
  std::string broker() const;
  static void onConnect(mosquitto* client, void* self, int result);
  static void onDisconnect(mosquitto* client, void* self, int result);
  static void onPublish(mosquitto* client, void* self, int message);

  MqttTarget target_;
  FileDescriptor reached_;
  std::thread thread_;
  bool started_ = false;

  std::mutex mutex_;
  std::condition_variable changed_;
  mosquitto* client_ = nullptr;  // the connection's, made and destroyed by the thread
  State state_ = State::kConnecting;
  bool connectedThisTry_ = false;  // since the thread last connected anew
  std::string reason_;
  std::optional<std::uint8_t> published_;  // nothing after a connection was made
  unsigned unacknowledged_ = 0;
  bool stopping_ = false;
};

}  // namespace velmo::port
