// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/command.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cmath>

namespace velmo::remote {
namespace {

constexpr std::string_view kOscChaser = "/velmo/chaser";
constexpr std::string_view kOscSpeed = "/velmo/speed";
constexpr std::string_view kOscTap = "/velmo/tap";
constexpr std::string_view kOscLinePrefix = "/velmo/line/";

Refusal badValue(std::string message) {
  return {400, std::move(message)};
}

std::optional<QJsonObject> jsonObject(const QByteArray& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  return document.object();
}

// A whole number from first to last, from JSON or OSC.
std::optional<unsigned> wholeNumber(double value, unsigned first, unsigned last) {
  if (!(value >= first && value <= last) || std::floor(value) != value) return std::nullopt;
  return static_cast<unsigned>(value);
}

std::optional<unsigned> lineNumber(std::string_view text) {
  unsigned line = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), line);
  if (error != std::errc() || end != text.data() + text.size() || line < 1 || line > kLineCount)
    return std::nullopt;
  return line;
}

CommandOrRefusal chaserIn(const QJsonObject& object) {
  if (object.contains("speed")) {
    const QJsonValue speed = object.value("speed");
    if (!speed.isDouble()) return badValue("\"speed\" must be a number, 0.25 to 4");
    return SpeedCommand{speed.toDouble()};
  }
  if (object.contains("tap")) {
    if (object.value("tap") != QJsonValue(true)) return badValue("\"tap\" must be true");
    return TapCommand{};
  }
  const QJsonValue value = object.value("pattern");
  const auto pattern =
      value.isDouble() ? wholeNumber(value.toDouble(), 0, kLastPatternNumber) : std::nullopt;
  if (!pattern)
    return badValue("\"pattern\" must be 0 (stop) or the number of a pattern (start it)");
  return ChaserCommand{*pattern};
}

CommandOrRefusal switchIn(const QJsonObject& object, unsigned line) {
  const QJsonValue on = object.value("on");
  if (!on.isBool()) return badValue("\"on\" must be true or false");
  return LineCommand{line, on.toBool()};
}

Refusal notAnObject() {
  return badValue("the body must be a JSON object");
}

}  // namespace

CommandOrRefusal chaserCommand(const QByteArray& body) {
  const auto object = jsonObject(body);
  if (!object) return notAnObject();
  return chaserIn(*object);
}

CommandOrRefusal lineCommand(std::string_view line, const QByteArray& body) {
  const auto number = lineNumber(line);
  if (!number) return Refusal{404, "lines are 1 to 8"};
  const auto object = jsonObject(body);
  if (!object) return notAnObject();
  return switchIn(*object, *number);
}

CommandOrRefusal pushCommand(const QByteArray& message) {
  const auto object = jsonObject(message);
  if (!object) return notAnObject();
  if (!object->contains("line")) return chaserIn(*object);
  const QJsonValue line = object->value("line");
  const auto number = line.isDouble() ? wholeNumber(line.toDouble(), 1, kLineCount) : std::nullopt;
  if (!number) return badValue("\"line\" must be 1 to 8");
  return switchIn(*object, *number);
}

std::optional<Command> oscCommand(std::string_view address, std::optional<double> value) {
  // A button sends 1 when pressed and 0 when let go: only the press taps.
  if (address == kOscTap) return value == 0.0 ? std::nullopt : std::optional<Command>(TapCommand{});
  if (!value) return std::nullopt;
  if (address == kOscSpeed) return SpeedCommand{*value};
  if (address == kOscChaser) {
    if (const auto pattern = wholeNumber(*value, 0, kLastPatternNumber))
      return ChaserCommand{*pattern};
    return std::nullopt;
  }
  if (!address.starts_with(kOscLinePrefix)) return std::nullopt;
  const auto line = lineNumber(address.substr(kOscLinePrefix.size()));
  const auto on = wholeNumber(*value, 0, 1);
  if (!line || !on) return std::nullopt;
  return LineCommand{*line, *on == 1};
}

}  // namespace velmo::remote
