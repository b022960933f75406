// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo::remote {

// An MQTT broker as --mqtt names it.
struct MqttBroker {
  bool tls = false;
  std::string user;  // "" for none
  std::string host;  // a name or an address; an IPv6 address without its brackets
  unsigned port = 0;

  // "mqtt://user@host:1883", for people.
  std::string text() const;
  bool operator==(const MqttBroker&) const = default;
};

inline constexpr unsigned kMqttPort = 1883;
inline constexpr unsigned kMqttTlsPort = 8883;

// "mqtt://[USER@]HOST[:PORT]" (port 1883 unless given) or "mqtts://…" (TLS,
// port 8883). Throws std::invalid_argument that says what is valid; a
// password in the address is refused, for a command line is there for every
// user of the computer to read.
MqttBroker parseMqttUrl(std::string_view url);

}  // namespace velmo::remote
