// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_state.h"

#include <QJsonArray>

namespace velmo::remote {

QJsonObject toJson(const RemoteState& state) {
  QJsonArray captions;
  for (const std::string& caption : state.captions)
    captions.append(QString::fromStdString(caption));
  QJsonArray patterns;
  for (const PatternOption& each : state.patterns) {
    if (each.number != 0)
      patterns.append(
          QJsonObject{{"number", int(each.number)}, {"name", QString::fromStdString(each.name)}});
  }
  return {{"pattern", static_cast<int>(state.pattern)},
          {"lines", state.lines},
          {"register", state.register_},
          {"captions", captions},
          {"patterns", patterns},
          {"speed", state.speed},
          {"running",
           QJsonObject{{"chaser", state.chaserRunning}, {"switchpanel", state.panelRunning}}}};
}

}  // namespace velmo::remote
