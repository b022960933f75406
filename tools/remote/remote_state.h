// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <string>
#include <vector>

namespace velmo::remote {

// A pattern the chaser offers: its number (0 stops: "Deaktiver") and name.
struct PatternOption {
  unsigned number = 0;
  std::string name;
  bool operator==(const PatternOption&) const = default;
};

// The programs as every front shows them: the page, GET /api/v1/state, the
// push channel and Home Assistant's entities.
struct RemoteState {
  bool chaserRunning = false;
  bool panelRunning = false;
  unsigned pattern = 0;               // the chaser's running pattern, 0 when none
  std::uint8_t lines = 0;             // bit N-1: line N shown on by the switch panel
  std::vector<std::string> captions;  // the switch panel's 16 captions, last known
  // "Deaktiver" (0) first, then every pattern the chaser has: the three
  // built in, then the user's own.
  std::vector<PatternOption> patterns;
  double speed = 1;            // the chaser's speed factor
  std::uint8_t register_ = 0;  // the port register as written, by whoever

  bool operator==(const RemoteState&) const = default;
};

// {"pattern", "lines", "register", "captions", "patterns": [{"number",
// "name"}, ...] (without 0), "speed", "running": {"chaser",
// "switchpanel"}}, the API's one form of the state.
QJsonObject toJson(const RemoteState& state);

}  // namespace velmo::remote
