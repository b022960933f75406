// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "tools/remote/command_runner.h"
#include "tools/remote/home_assistant.h"
#include "tools/remote/link_presence.h"
#include "tools/remote/mqtt_url.h"

struct RemoteMqtt;

namespace velmo::remote {

struct MqttModule;

// Home Assistant over MQTT as a front of the remote: the device that
// HomeAssistantDevice describes, on a broker reached through the remote's
// MQTT module (libvelmoremote-mqtt.so beside the program, loaded here).
// Commands from its topics run through the CommandRunner as every front's
// do. A broker that is away ends nothing: the module connects again, and
// everything is published anew; the remote says on standard error when the
// broker is lost and back.
class MqttFront : public QObject {
  Q_OBJECT

 public:
  struct Settings {
    MqttBroker broker;
    std::string caFile;  // "" for the system's certificate authorities
    DeviceIdentity identity;
  };

  // Starts connecting; view tells what the programs show now. Throws
  // std::runtime_error that says what to do when the module cannot be
  // loaded, the password file cannot be read or the client cannot be made.
  MqttFront(const Settings& settings, CommandRunner& commands, std::function<RemoteState()> view,
            QObject* parent = nullptr);
  // Says "offline" on the availability topic, then disconnects.
  ~MqttFront() override;

  // Publishes what changed in the view since it was published.
  void follow();

  // Where the remote is a Home Assistant device, for people.
  std::string notice() const;

 private:
  static void onConnected(void* self);
  static void onLost(void* self, const char* why);
  static void onMessage(void* self, const char* topic, const char* payload, std::uint32_t length,
                        int retained);
  void connected();
  void lost(const std::string& why);
  void take(const std::string& topic, const std::string& payload, bool retained);
  void publish(const std::vector<MqttMessage>& messages);

  Settings settings_;
  CommandRunner& commands_;
  std::function<RemoteState()> view_;
  HomeAssistantDevice device_;
  LinkPresence presence_;
  bool connected_ = false;
  const MqttModule& module_;
  RemoteMqtt* mqtt_ = nullptr;
};

}  // namespace velmo::remote
