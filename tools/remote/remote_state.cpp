// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_state.h"

#include <QJsonArray>

namespace velmo::remote {

QJsonObject toJson(const RemoteState& state) {
  return {{"pattern", static_cast<int>(state.pattern)},
          {"lines", state.lines},
          {"register", state.register_},
          {"captions", QJsonArray::fromStringList(state.captions)},
          {"running",
           QJsonObject{{"chaser", state.chaserRunning}, {"switchpanel", state.panelRunning}}}};
}

}  // namespace velmo::remote
