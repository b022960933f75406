// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/status_report.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "tools/portmonitor/byte_format.h"

namespace velmo::cli {
namespace {

using portmonitor::binaryText;

std::string byteText(std::uint8_t byte) {
  char decimal[4];
  std::snprintf(decimal, sizeof decimal, "%3d", byte);
  return portmonitor::hexText(byte) + "  " + decimal + "  " + binaryText(byte);
}

std::string patternText(unsigned pattern) {
  return pattern == 0 ? "no pattern (Deaktiver)" : "Løpelys " + std::to_string(pattern);
}

std::string linesText(unsigned lines) {
  const auto byte = static_cast<std::uint8_t>(lines);
  std::string on;
  for (int line = 1; line <= portmonitor::kLineCount; ++line)
    if (portmonitor::lineIsOn(byte, line)) on += " " + std::to_string(line);
  return "lines " + binaryText(byte) + (on.empty() ? ", all off" : ", on:" + on);
}

std::string item(const char* name, const std::string& value) {
  char label[16];
  std::snprintf(label, sizeof label, "%-13s", name);
  return label + value + "\n";
}

template <typename Describe>
std::string programItem(const char* name, const std::optional<unsigned>& value, Describe describe) {
  return item(name, value ? "running: " + describe(*value) : "not running");
}

QJsonObject programJson(const char* key, const std::optional<unsigned>& value) {
  return {{"running", value.has_value()},
          {key, value ? QJsonValue(static_cast<int>(*value)) : QJsonValue(QJsonValue::Null)}};
}

}  // namespace

std::string statusText(const StatusReport& report) {
  const std::string port = report.target.empty() ? "default" : report.target;
  return item("port", port + " (register " + report.registerPath + ")") +
         item("register", byteText(report.registerByte)) +
         programItem("chaser", report.pattern, patternText) +
         programItem("switchpanel", report.lines, linesText);
}

std::string statusJson(const StatusReport& report) {
  const QJsonObject status{
      {"target", QString::fromStdString(report.target)},
      {"register", report.registerByte},
      {"chaser", programJson("pattern", report.pattern)},
      {"switchpanel", programJson("lines", report.lines)},
  };
  return QJsonDocument(status).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

}  // namespace velmo::cli
