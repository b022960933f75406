// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/home_assistant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "system/ascii_case.h"

namespace velmo::remote {
namespace {

constexpr std::string_view kActivate = "aktiver";
constexpr std::string_view kOn = "ON";
constexpr std::string_view kOff = "OFF";
constexpr std::string_view kOnline = "online";
constexpr std::string_view kOffline = "offline";
constexpr std::string_view kSet = "/set";
constexpr std::string_view kLinePrefix = "/line/";
constexpr std::string_view kChaser = "chaser";
constexpr std::string_view kPanel = "switchpanel";

bool isActivate(std::string_view word) {
  return asciiLowercase(word) == kActivate;
}

// Every byte but a-z, A-Z, 0-9 and "-" as "_" and two hex digits.
std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || byte == '-') {
      out += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "_%02x", byte);
      out += hex;
    }
  }
  return out;
}

QString text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string compact(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// The option of the running pattern; the first ("Deaktiver") for one the
// options do not name.
std::string patternName(unsigned pattern, const RemoteState& view) {
  const auto found =
      std::find_if(view.patterns.begin(), view.patterns.end(),
                   [&](const PatternOption& each) { return each.number == pattern; });
  if (found != view.patterns.end()) return found->name;
  return view.patterns.empty() ? std::string() : view.patterns.front().name;
}

}  // namespace

std::string lineEntityName(unsigned line, const std::vector<std::string>& captions) {
  const std::size_t index = 2 * (line - 1);
  const std::string_view caption =
      index < captions.size() ? std::string_view(captions[index]) : std::string_view();
  std::string name;
  for (std::size_t at = 0; at < caption.size();) {
    const std::size_t end = std::min(caption.find(' ', at), caption.size());
    const std::string_view word = caption.substr(at, end - at);
    if (!word.empty() && !isActivate(word)) name += (name.empty() ? "" : " ") + std::string(word);
    at = end + 1;
  }
  return name.empty() ? "Line " + std::to_string(line) : name;
}

HomeAssistantDevice::HomeAssistantDevice(const DeviceIdentity& identity)
    : identity_(identity),
      nodeId_("velmo_" + escaped(asciiLowercase(identity.host) +
                                 (identity.target.empty() ? "" : " " + identity.target))),
      base_("velmo/" + nodeId_) {}

MqttMessage HomeAssistantDevice::lastWill() const {
  return {base_ + "/availability", std::string(kOffline)};
}

std::vector<std::string> HomeAssistantDevice::subscriptions() const {
  return {base_ + "/line/+/set", base_ + "/chaser/set", identity_.discoveryPrefix + "/status"};
}

std::string HomeAssistantDevice::lineTopic(unsigned line, std::string_view end) const {
  return base_ + std::string(kLinePrefix) + std::to_string(line) + std::string(end);
}

// The fields every entity has: its name and ids, its availability (the
// remote's and its program's) and the device.
QJsonObject HomeAssistantDevice::common(std::string_view name, std::string_view object,
                                        std::string_view program) const {
  const QJsonObject device{{"identifiers", QJsonArray{text(nodeId_)}},
                           {"name", text("Velmo " + identity_.host +
                                         (identity_.target.empty() ? "" : " " + identity_.target))},
                           {"manufacturer", "Velmo"},
                           {"model", "velmo-remote"},
                           {"sw_version", text(identity_.version)}};
  const QJsonArray availability{
      QJsonObject{{"topic", text(base_ + "/availability")}},
      QJsonObject{{"topic", text(base_ + "/" + std::string(program) + "/availability")}}};
  return {{"name", text(name)},
          {"unique_id", text(nodeId_ + "_" + std::string(object))},
          {"availability", availability},
          {"availability_mode", "all"},
          {"qos", 1},
          {"device", device}};
}

std::string HomeAssistantDevice::switchConfig(unsigned line, const RemoteState& view) const {
  QJsonObject config =
      common(lineEntityName(line, view.captions), "line" + std::to_string(line), kPanel);
  config["command_topic"] = text(lineTopic(line, kSet));
  config["state_topic"] = text(lineTopic(line, "/state"));
  config["payload_on"] = text(kOn);
  config["payload_off"] = text(kOff);
  return compact(config);
}

std::string HomeAssistantDevice::selectConfig(const RemoteState& view) const {
  QJsonArray options;
  for (const PatternOption& option : view.patterns) options.append(text(option.name));
  QJsonObject config = common("Chaser", kChaser, kChaser);
  config["command_topic"] = text(base_ + "/chaser/set");
  config["state_topic"] = text(base_ + "/chaser/state");
  config["options"] = options;
  return compact(config);
}

MqttMessage HomeAssistantDevice::lineState(unsigned line, const RemoteState& view) const {
  return {lineTopic(line, "/state"), std::string((view.lines >> (line - 1)) & 1 ? kOn : kOff)};
}

MqttMessage HomeAssistantDevice::chaserState(const RemoteState& view) const {
  return {base_ + "/chaser/state", patternName(view.pattern, view)};
}

std::vector<MqttMessage> HomeAssistantDevice::everything(const RemoteState& view) const {
  const std::string prefix = identity_.discoveryPrefix + "/";
  std::vector<MqttMessage> messages;
  for (unsigned line = 1; line <= kLineCount; ++line) {
    messages.push_back({prefix + "switch/" + nodeId_ + "/line" + std::to_string(line) + "/config",
                        switchConfig(line, view)});
  }
  messages.push_back({prefix + "select/" + nodeId_ + "/chaser/config", selectConfig(view)});
  const auto presence = [](bool running) { return std::string(running ? kOnline : kOffline); };
  messages.push_back({base_ + "/switchpanel/availability", presence(view.panelRunning)});
  messages.push_back({base_ + "/chaser/availability", presence(view.chaserRunning)});
  for (unsigned line = 1; line <= kLineCount; ++line) messages.push_back(lineState(line, view));
  messages.push_back(chaserState(view));
  messages.push_back({base_ + "/availability", std::string(kOnline)});
  return messages;
}

std::vector<MqttMessage> HomeAssistantDevice::announce(const RemoteState& view) {
  std::vector<MqttMessage> messages = everything(view);
  published_.clear();
  for (const MqttMessage& message : messages) published_[message.topic] = message.payload;
  return messages;
}

std::vector<MqttMessage> HomeAssistantDevice::follow(const RemoteState& view) {
  std::vector<MqttMessage> changed;
  for (MqttMessage& message : everything(view)) {
    std::string& published = published_[message.topic];
    if (published == message.payload) continue;
    published = message.payload;
    changed.push_back(std::move(message));
  }
  return changed;
}

MqttMessage HomeAssistantDevice::stateFor(const Command& command, const RemoteState& view) const {
  if (const auto* line = std::get_if<LineCommand>(&command)) return lineState(line->line, view);
  return chaserState(view);
}

HomeAssistantDevice::Asked HomeAssistantDevice::take(std::string_view topic,
                                                     std::string_view payload, bool retained,
                                                     const RemoteState& view) const {
  if (topic == identity_.discoveryPrefix + "/status")
    return payload == kOnline ? Asked(AnnounceAgain{}) : Asked();
  if (retained) return {};
  if (topic == base_ + "/chaser/set") {
    const auto option =
        std::find_if(view.patterns.begin(), view.patterns.end(),
                     [&](const PatternOption& each) { return each.name == payload; });
    if (option == view.patterns.end()) return {};
    return ChaserCommand{option->number};
  }
  const std::string prefix = base_ + std::string(kLinePrefix);
  if (!topic.starts_with(prefix) || !topic.ends_with(kSet) ||
      topic.size() < prefix.size() + kSet.size())
    return {};
  const std::string_view number =
      topic.substr(prefix.size(), topic.size() - prefix.size() - kSet.size());
  unsigned line = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), line);
  if (error != std::errc() || end != number.data() + number.size() || line < 1 ||
      line > kLineCount || (payload != kOn && payload != kOff))
    return {};
  return LineCommand{line, payload == kOn};
}

}  // namespace velmo::remote
