// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_options.h"

#include <charconv>

#include "tools/remote/usage.h"

namespace velmo::remote {
namespace {

quint16 portNumber(std::string_view text, std::string_view option) {
  unsigned port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || port > 65535)
    throw OptionError(std::string(option) + ": the port must be 0 to 65535, not \"" +
                      std::string(text) + "\"");
  return static_cast<quint16>(port);
}

void readListen(std::string_view text, RemoteOptions& options) {
  const auto colon = text.rfind(':');
  std::string_view host = text.substr(0, colon == std::string_view::npos ? 0 : colon);
  if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
  if (colon == std::string_view::npos ||
      !options.listenAddress.setAddress(QString::fromUtf8(host.data(), host.size())))
    throw OptionError("--listen takes ADDR:PORT, such as 0.0.0.0:8356 or [::]:8356, not \"" +
                      std::string(text) + "\"");
  options.listenPort = portNumber(text.substr(colon + 1), kListenOption.name);
  options.network = true;
}

Subnet subnet(std::string_view text) {
  const Subnet parsed = QHostAddress::parseSubnet(QString::fromUtf8(text.data(), text.size()));
  if (parsed.first.isNull())
    throw OptionError("--osc-allow takes an address range such as 192.168.1.0/24, not \"" +
                      std::string(text) + "\"");
  return parsed;
}

void readMqtt(const CommandLineOutcome& commandLine, RemoteOptions& options) {
  if (const auto url = commandLine.value(kMqttOption.name)) {
    try {
      options.mqtt = parseMqttUrl(*url);
    } catch (const std::invalid_argument& error) {
      throw OptionError(error.what());
    }
  }
  const auto ca = commandLine.value(kMqttCaOption.name);
  const auto prefix = commandLine.value(kMqttPrefixOption.name);
  if ((ca || prefix) && !options.mqtt)
    throw OptionError(std::string(ca ? kMqttCaOption.name : kMqttPrefixOption.name) +
                      " needs --mqtt URL");
  if (ca && !options.mqtt->tls) throw OptionError("--mqtt-ca needs an mqtts:// URL");
  if (ca) options.mqttCaFile = std::string(*ca);
  if (!prefix) return;
  if (prefix->empty() || prefix->find_first_of("+#") != std::string_view::npos ||
      prefix->starts_with('/') || prefix->ends_with('/'))
    throw OptionError(
        "--mqtt-discovery-prefix takes a topic such as homeassistant, without +, # "
        "or a / at either end, not \"" +
        std::string(*prefix) + "\"");
  options.discoveryPrefix = std::string(*prefix);
}

}  // namespace

RemoteOptions readRemoteOptions(const CommandLineOutcome& commandLine,
                                const std::string& environmentPort) {
  RemoteOptions options;
  if (const auto listen = commandLine.value(kListenOption.name)) readListen(*listen, options);
  if (const auto osc = commandLine.value(kOscOption.name))
    options.oscPort = portNumber(*osc, kOscOption.name);
  if (const auto allow = commandLine.value(kOscAllowOption.name)) {
    if (!options.oscPort) throw OptionError("--osc-allow needs --osc PORT");
    options.oscAllowed = subnet(*allow);
  }
  readMqtt(commandLine, options);
  if (const auto dmx = commandLine.value(kDmxInOption.name)) {
    try {
      options.dmxIn = port::dmxChannelsOf(*dmx, "--dmx-in \"" + std::string(*dmx) + "\"");
    } catch (const port::PortAccessError& error) {
      throw OptionError(error.what());
    }
    if (!options.dmxIn)
      throw OptionError(
          "--dmx-in takes UNIVERSE[:CHANNEL][@RPCPORT], such as 1 or 2:17@9010, not \"" +
          std::string(*dmx) + "\"");
  }
  const auto port = commandLine.value(kPortOption.name);
  options.portSetting = port ? std::string(*port) : environmentPort;
  return options;
}

}  // namespace velmo::remote
