// SPDX-License-Identifier: GPL-3.0-or-later
// The backend table's rows of smart relays over MQTT,
// "mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF]" and "mqtts:..." with TLS,
// driven through libvelmoport-mqtt.so (port/backends/mqtt/).
#include <charconv>

#include "port/backends/module_lines.h"
#include "port/port_lines.h"
#include "port/port_setting.h"
#include "system/mqtt_password.h"

namespace velmo::port {
namespace {

constexpr unsigned kPlainPort = 1883;
constexpr unsigned kTlsPort = 8883;

constexpr LinesModule kMqttModule = VELMO_RELAY_MODULE(
    "libvelmoport-mqtt.so", "MQTT module", "libmosquitto", "libmosquitto-dev", "libmosquitto1");

[[noreturn]] void refuse(const PortEnvironment& environment, const std::string& rule) {
  throw PortAccessError("VELMO_PORT=\"" + environment.port + "\" is not an MQTT target: " + rule +
                        ".");
}

std::string replaced(std::string text, std::string_view field, const std::string& value) {
  for (auto at = text.find(field); at != std::string::npos; at = text.find(field, at)) {
    text.replace(at, field.size(), value);
    at += value.size();
  }
  return text;
}

// %XX written as its byte; nothing when a % is not followed by two hex
// digits.
std::optional<std::string> decoded(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned byte = static_cast<unsigned char>(text[i]);
    if (text[i] == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, byte, 16);
      if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
      i += 2;
    }
    plain += static_cast<char>(byte);
  }
  return plain;
}

std::string encoded(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string safe;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '%' || c == '&' || c == '=' || c == '?' || byte <= ' ') {
      safe += {'%', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      safe += c;
    }
  }
  return safe;
}

// "on=ON&off=OFF" into setting; false for anything else.
bool readPayloads(std::string_view query, MqttSetting& setting) {
  for (std::size_t amp = 0; amp != std::string_view::npos && !query.empty();) {
    amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    const auto equals = pair.find('=');
    const auto value =
        equals == std::string_view::npos ? std::nullopt : decoded(pair.substr(equals + 1));
    if (!value) return false;
    if (pair.substr(0, equals) == "on") {
      setting.on = *value;
    } else if (pair.substr(0, equals) == "off") {
      setting.off = *value;
    } else {
      return false;
    }
    query.remove_prefix(amp == std::string_view::npos ? query.size() : amp + 1);
  }
  return true;
}

// HOST, [IPV6] or either with :PORT into setting; false when it is none.
bool readAddress(std::string_view address, MqttSetting& setting,
                 const PortEnvironment& environment) {
  const auto close = address.starts_with('[') ? address.find(']') : 0;
  if (close == std::string_view::npos) return false;
  const auto colon = address.find(':', close);
  setting.host = std::string(address.substr(0, colon));
  if (close > 0) setting.host = setting.host.substr(1, close - 1);
  if (setting.host.empty()) return false;
  if (colon == std::string_view::npos) return close == 0 || close == address.size() - 1;
  const std::string_view digits = address.substr(colon + 1);
  unsigned port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (digits.empty() || end != digits.data() + digits.size()) return false;
  if (error != std::errc() || port == 0 || port > 65535)
    refuse(environment, "PORT must be 1 to 65535");
  setting.port = port;
  return true;
}

// USER@HOST:PORT/TOPIC?on=ON&off=OFF with every part written out.
std::string canonical(const MqttSetting& mqtt) {
  const bool v6 = mqtt.host.find(':') != std::string::npos;
  return (mqtt.user.empty() ? "" : mqtt.user + "@") + (v6 ? "[" + mqtt.host + "]" : mqtt.host) +
         ":" + std::to_string(mqtt.port) + "/" + mqtt.topic + "?on=" + encoded(mqtt.on) +
         "&off=" + encoded(mqtt.off);
}

std::optional<PortSetting> parse(std::optional<std::string_view> argument, bool tls,
                                 const PortEnvironment& environment) {
  const auto slash = argument ? argument->find('/') : std::string_view::npos;
  if (slash == std::string_view::npos) return std::nullopt;
  MqttSetting setting;
  setting.tls = tls;
  setting.port = tls ? kTlsPort : kPlainPort;
  std::string_view address = argument->substr(0, slash);
  if (const auto at = address.find('@'); at != std::string_view::npos) {
    setting.user = std::string(address.substr(0, at));
    address.remove_prefix(at + 1);
    if (setting.user.empty()) return std::nullopt;
  }
  const std::string_view rest = argument->substr(slash + 1);
  const auto question = rest.find('?');
  const std::string_view topic = rest.substr(0, question);
  setting.topic = std::string(topic);
  if (!readAddress(address, setting, environment) || topic.empty() ||
      (question != std::string_view::npos && !readPayloads(rest.substr(question + 1), setting))) {
    return std::nullopt;
  }
  if (topic.find_first_of("+#") != std::string_view::npos) {
    refuse(environment, "a TOPIC to publish on holds no + or #");
  }
  if (topic.find("{line}") == std::string_view::npos &&
      topic.find("{index}") == std::string_view::npos) {
    refuse(environment, "TOPIC must hold {line} (1 to 8) or {index} (0 to 7), one topic per relay");
  }
  setting.location = registerBesideDefault(environment, tls ? "mqtts" : "mqtt", canonical(setting));
  return setting;
}

std::optional<PortSetting> parseMqtt(std::optional<std::string_view> argument,
                                     const PortEnvironment& environment) {
  return parse(argument, false, environment);
}

std::optional<PortSetting> parseMqttTls(std::optional<std::string_view> argument,
                                        const PortEnvironment& environment) {
  return parse(argument, true, environment);
}

// The module's fields: tls ("1" or "0"), host, port, user, the on and off
// payloads, the eight topics. The module reads USER's password from its
// file when it makes its lines, at the start of every program.
std::unique_ptr<DataRegister> makeMqtt(const PortSetting& setting) {
  const auto& mqtt = std::get<MqttSetting>(setting);
  std::vector<std::string> fields{
      mqtt.tls ? "1" : "0", mqtt.host, std::to_string(mqtt.port), mqtt.user, mqtt.on, mqtt.off};
  for (unsigned line = 1; line <= kLineCount; ++line) {
    fields.push_back(replaced(replaced(mqtt.topic, "{line}", std::to_string(line)), "{index}",
                              std::to_string(line - 1)));
  }
  return makeModuleRegister(kMqttModule, fields, mqtt.location);
}

std::string mqttHelp(const PortEnvironment&) {
  return "\"mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF]\" (\"mqtts:\" with TLS) for smart "
         "relays on the MQTT broker HOST (port 1883, or 8883 with TLS, unless given), line N "
         "published on TOPIC with {line} as N or {index} as N-1, ON or OFF (unless given), the "
         "password of USER in " +
         mqttPasswordPath() + ", such as mqtt:broker/cmnd/relays/POWER{line}";
}

std::string noHelp(const PortEnvironment&) {
  return "";
}

std::string mqttName(const PortSetting& setting) {
  const auto& mqtt = std::get<MqttSetting>(setting);
  return (mqtt.tls ? "mqtts:" : "mqtt:") + canonical(mqtt);
}

}  // namespace

constinit const Backend kMqttBackend{"mqtt", parseMqtt, makeMqtt, mqttHelp, mqttName};
constinit const Backend kMqttTlsBackend{"mqtts", parseMqttTls, makeMqtt, noHelp, mqttName};

}  // namespace velmo::port
