// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/remote/command.h"
#include "tools/remote/remote_state.h"

namespace velmo::remote {

// One MQTT message to publish (QoS 1).
struct MqttMessage {
  std::string topic;
  std::string payload;
  bool retain = true;
  bool operator==(const MqttMessage&) const = default;
};

// Who the device is, the same at every start on this machine and target.
struct DeviceIdentity {
  std::string host;             // this machine's name
  std::string target;           // the port target's canonical text, "" for the default
  std::string version;          // Velmo's
  std::string discoveryPrefix;  // "homeassistant" unless told otherwise
};

// The name of line N's switch: the line's "Aktiver…" caption without the
// word "Aktiver", or "Line N" when that leaves nothing.
std::string lineEntityName(unsigned line, const std::vector<std::string>& captions);

// The remote as one Home Assistant device over MQTT, as its MQTT discovery
// takes it: eight switches (the lines) and a select (the chaser), each with
// a unique_id built from the machine's name and the port target, a command
// topic and a retained state topic, available while the remote is connected
// (its last will says offline) and the entity's program runs. No sockets:
// it says what to publish and what a message asks.
class HomeAssistantDevice {
 public:
  explicit HomeAssistantDevice(const DeviceIdentity& identity);

  // The device's availability topic with "offline": the remote's last will,
  // and what it says as it ends.
  MqttMessage lastWill() const;

  // The topics to subscribe to: the command topics and Home Assistant's
  // status.
  std::vector<std::string> subscriptions() const;

  // Everything, for a broker that has just been reached or a Home Assistant
  // that has just started: the configurations, the programs' availability,
  // the states, then the device's "online".
  std::vector<MqttMessage> announce(const RemoteState& view);

  // The messages of announce whose payloads changed since the last announce
  // or follow.
  std::vector<MqttMessage> follow(const RemoteState& view);

  // The state of the entity command is for, told again: after a command that
  // was refused, so that Home Assistant shows what is.
  MqttMessage stateFor(const Command& command, const RemoteState& view) const;

  // Home Assistant's "online" on its status topic: announce again.
  struct AnnounceAgain {};
  using Asked = std::variant<std::monostate, Command, AnnounceAgain>;
  // What a message on a subscribed topic asks: "ON" or "OFF" on a switch's
  // command topic, an option of view.patterns on the select's; anything else
  // asks nothing. So does a command the broker kept (retained), which would
  // otherwise be carried out anew at every connection, undoing what was done
  // since.
  Asked take(std::string_view topic, std::string_view payload, bool retained,
             const RemoteState& view) const;

  // The device's node id in the topics: "velmo_" and the machine's name
  // (and the target) with every character but a-z, A-Z, 0-9 and "-" written
  // as "_" and two hex digits.
  const std::string& nodeId() const { return nodeId_; }

 private:
  std::vector<MqttMessage> everything(const RemoteState& view) const;
  std::string switchConfig(unsigned line, const RemoteState& view) const;
  std::string selectConfig(const RemoteState& view) const;
  QJsonObject common(std::string_view name, std::string_view object,
                     std::string_view program) const;
  std::string lineTopic(unsigned line, std::string_view end) const;
  MqttMessage lineState(unsigned line, const RemoteState& view) const;
  MqttMessage chaserState(const RemoteState& view) const;

  DeviceIdentity identity_;
  std::string nodeId_;
  std::string base_;  // "velmo/" + nodeId_
  std::map<std::string, std::string> published_;
};

}  // namespace velmo::remote
