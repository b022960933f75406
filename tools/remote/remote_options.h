// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "port/port_view.h"
#include "system/command_line.h"
#include "tools/remote/mqtt_url.h"
#include "tools/remote/osc_receiver.h"

namespace velmo::remote {

// The remote's default address: this computer only.
inline constexpr quint16 kDefaultHttpPort = 8356;

// The DMX channels a lighting desk drives the programs with: the
// personality's nine from firstChannel (counted from 1) of universe, through
// the olad that listens on rpcPort on this machine.
using DmxSource = port::DmxChannels;

inline constexpr std::string_view kDefaultDiscoveryPrefix = "homeassistant";

// How the remote was asked to run.
struct RemoteOptions {
  QHostAddress listenAddress{QHostAddress::LocalHost};
  quint16 listenPort = kDefaultHttpPort;  // 0: one the system picks
  bool network = false;                   // --listen was given
  std::optional<quint16> oscPort;
  std::optional<Subnet> oscAllowed;
  std::optional<MqttBroker> mqtt;
  std::string mqttCaFile;  // "" for the system's certificate authorities
  std::string discoveryPrefix{kDefaultDiscoveryPrefix};
  std::optional<DmxSource> dmxIn;
  std::string portSetting;  // --port, else VELMO_PORT
};

// A command-line value that is not valid; what() says what is.
struct OptionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the remote's options; environmentPort is VELMO_PORT ("" when
// unset). Throws OptionError.
RemoteOptions readRemoteOptions(const CommandLineOutcome& commandLine,
                                const std::string& environmentPort);

}  // namespace velmo::remote
