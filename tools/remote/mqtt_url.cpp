// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/mqtt_url.h"

#include <QUrl>
#include <stdexcept>

namespace velmo::remote {
namespace {

constexpr std::string_view kPlain = "mqtt://";
constexpr std::string_view kTls = "mqtts://";

// Never repeats the address, which may hold a password.
[[noreturn]] void refuse(std::string_view what) {
  throw std::invalid_argument(
      "--mqtt takes mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT]: " + std::string(what));
}

}  // namespace

std::string MqttBroker::text() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return (tls ? std::string(kTls) : std::string(kPlain)) + (user.empty() ? "" : user + "@") +
         (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

MqttBroker parseMqttUrl(std::string_view url) {
  const QUrl parsed(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())),
                    QUrl::StrictMode);
  // Told without the address, which holds the password.
  if (!parsed.password().isNull())
    throw std::invalid_argument(
        "--mqtt takes no password, which would stand on a command line every user of the "
        "computer can read: give mqtt://USER@HOST, and the password in the MQTT password "
        "file (see velmo-remote(1))");
  const QString scheme = parsed.scheme();
  if (!parsed.isValid()) refuse("the address does not read as one (a PORT is 1 to 65535)");
  if (scheme != "mqtt" && scheme != "mqtts") refuse("it begins with mqtt:// or mqtts://");
  if (parsed.host().isEmpty()) refuse("it names no HOST");
  if ((!parsed.path().isEmpty() && parsed.path() != "/") || parsed.hasQuery() ||
      parsed.hasFragment())
    refuse("nothing follows the HOST and PORT");
  if (parsed.port() == 0) refuse("a PORT is 1 to 65535");
  MqttBroker broker;
  broker.tls = scheme == "mqtts";
  broker.user = parsed.userName().toStdString();
  broker.host = parsed.host().toStdString();
  broker.port = static_cast<unsigned>(parsed.port(broker.tls ? kMqttTlsPort : kMqttPort));
  return broker;
}

}  // namespace velmo::remote
