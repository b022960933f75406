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
  const auto port = commandLine.value(kPortOption.name);
  options.portSetting = port ? std::string(*port) : environmentPort;
  return options;
}

}  // namespace velmo::remote
