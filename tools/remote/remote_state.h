// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QStringList>
#include <cstdint>

namespace velmo::remote {

// What the page and GET /api/v1/state show.
struct RemoteState {
  unsigned pattern = 0;        // the chaser's running pattern, 0 when none
  std::uint8_t lines = 0;      // bit N-1: line N shown on by the switch panel
  std::uint8_t register_ = 0;  // the port register as written, by whoever
  QStringList captions;        // the switch panel's 16 captions, last known
  bool chaserRunning = false;
  bool panelRunning = false;

  bool operator==(const RemoteState&) const = default;
};

// {"pattern", "lines", "register", "captions", "running": {"chaser",
// "switchpanel"}}, the API's one form of the state.
QJsonObject toJson(const RemoteState& state);

}  // namespace velmo::remote
