// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "tools/remote/mqtt/mqtt_module.h"

struct mosquitto;
struct mosquitto_message;

namespace velmo::remote {

// One client of an MQTT broker through libmosquitto, on a thread of its
// own, which connects again after a failure: at once, then after 0.5 s and
// twice as long each time, up to 8 s.
class MqttClient {
 public:
  // Starts connecting. Throws std::runtime_error when the client cannot be
  // made.
  MqttClient(const RemoteMqttSettings& settings, const RemoteMqttHandlers& handlers);
  // Disconnects; no handler runs once this returns.
  ~MqttClient();
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  // False when not connected.
  bool subscribe(const char* topic);
  bool publish(const char* topic, const char* payload, int length, bool retain);

  // Publishes, retained, and waits up to a second for the broker to take it.
  void publishAndWait(const char* topic, const char* payload);

 private:
  static void onConnect(mosquitto*, void* self, int code);
  static void onMessage(mosquitto*, void* self, const mosquitto_message* message);
  static void onPublish(mosquitto*, void* self, int id);
  void run();
  // Waits span, or less when the client is told to stop.
  void pause(std::chrono::milliseconds span);
  void tellLost(const std::string& why) const;

  RemoteMqttHandlers handlers_;
  std::string host_;
  unsigned port_;
  std::string where_;  // "the broker at host:port", for people
  mosquitto* client_;
  std::mutex mutex_;
  std::condition_variable changed_;  // a publish taken, or told to stop
  std::set<int> inFlight_;
  // On the client's thread: tries in a row that failed, and whether the
  // broker took the present connection.
  unsigned failures_ = 0;
  bool linked_ = false;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace velmo::remote
