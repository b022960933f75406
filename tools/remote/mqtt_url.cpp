// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/mqtt_url.h"

#include <charconv>
#include <stdexcept>

namespace velmo::remote {
namespace {

constexpr std::string_view kPlain = "mqtt://";
constexpr std::string_view kTls = "mqtts://";

[[noreturn]] void refuse(std::string_view url, std::string_view why = "") {
  throw std::invalid_argument(
      "--mqtt takes mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT]" + std::string(why) +
      ", not \"" + std::string(url) + "\"");
}

bool plainHostName(std::string_view host) {
  for (const char c : host) {
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_';
    if (!fits) return false;
  }
  return !host.empty();
}

}  // namespace

std::string MqttBroker::text() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (tls ? std::string(kTls) : std::string(kPlain)) + (user.empty() ? "" : user + "@") +
         (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

MqttBroker parseMqttUrl(std::string_view url) {
  MqttBroker broker;
  std::string_view rest;
  if (url.starts_with(kPlain)) {
    rest = url.substr(kPlain.size());
  } else if (url.starts_with(kTls)) {
    broker.tls = true;
    rest = url.substr(kTls.size());
  } else {
    refuse(url);
  }
  if (rest.ends_with('/')) rest.remove_suffix(1);
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
    broker.user = std::string(rest.substr(0, at));
    rest = rest.substr(at + 1);
    // Told without the address, which holds the password.
    if (broker.user.find(':') != std::string::npos)
      throw std::invalid_argument(
          "--mqtt takes no password, which would stand on a command line every user of the "
          "computer can read: give mqtt://USER@HOST, and the password in the MQTT password "
          "file (see velmo-remote(1))");
    if (broker.user.empty() || broker.user.find_first_of("/@") != std::string::npos) refuse(url);
  }
  std::string_view port;
  if (rest.starts_with('[')) {
    const auto close = rest.find(']');
    if (close == std::string_view::npos) refuse(url);
    broker.host = std::string(rest.substr(1, close - 1));
    rest = rest.substr(close + 1);
    if (!rest.empty() && (!rest.starts_with(':') || rest.size() == 1)) refuse(url);
    port = rest.empty() ? rest : rest.substr(1);
    if (broker.host.empty() ||
        broker.host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos)
      refuse(url);
  } else {
    const auto colon = rest.find(':');
    broker.host = std::string(rest.substr(0, colon));
    port = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (!plainHostName(broker.host) || (colon != std::string_view::npos && port.empty()))
      refuse(url);
  }
  broker.port = broker.tls ? kMqttTlsPort : kMqttPort;
  if (!port.empty()) {
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), broker.port);
    if (error != std::errc() || end != port.data() + port.size() || broker.port < 1 ||
        broker.port > 65535)
      refuse(url, " with PORT 1 to 65535");
  }
  return broker;
}

}  // namespace velmo::remote
