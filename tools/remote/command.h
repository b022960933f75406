// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <array>
#include <optional>
#include <string_view>
#include <variant>

#include "dbus/chaser_facts.h"
#include "port/port_lines.h"
#include "tools/remote/refusal.h"

namespace velmo::remote {

using port::kLineCount;

using dbus::kChaserButtons;
using dbus::kLastPatternNumber;

// Starts chaser pattern N (one the chaser has: it refuses the others), or
// stops it (0): what a click on its button or "Deaktiver" does.
struct ChaserCommand {
  unsigned pattern = 0;
  bool operator==(const ChaserCommand&) const = default;
};

// Sets the chaser's speed factor (the chaser takes 0.25 to 4), as its speed
// box does.
struct SpeedCommand {
  double speed = 1;
  bool operator==(const SpeedCommand&) const = default;
};

// A tap of the beat, as the chaser's "Tapp" button.
struct TapCommand {
  bool operator==(const TapCommand&) const = default;
};

// Switches line 1 to 8 on or off: what a click on the switch panel's
// "Aktiver…" or "Deaktiver…" button of the line does.
struct LineCommand {
  unsigned line = 0;
  bool on = false;
  bool operator==(const LineCommand&) const = default;
};

using Command = std::variant<ChaserCommand, SpeedCommand, TapCommand, LineCommand>;

// Whether command goes to the chaser (else to the switch panel).
inline bool isChaserCommand(const Command& command) {
  return !std::holds_alternative<LineCommand>(command);
}
using CommandOrRefusal = std::variant<Command, Refusal>;

// The body of POST /api/v1/chaser: {"pattern": 0 to 99}, {"speed": X} or
// {"tap": true}. Anything else is refused (400) with what is valid.
CommandOrRefusal chaserCommand(const QByteArray& body);

// The body of PUT /api/v1/lines/LINE, {"on": true or false}, with the line
// from the path.
CommandOrRefusal lineCommand(std::string_view line, const QByteArray& body);

// A command on the push channel: what POST /api/v1/chaser takes for the
// chaser, {"line": 1 to 8, "on": true or false} for a line.
CommandOrRefusal pushCommand(const QByteArray& message);

// An OSC message: /velmo/chaser with 0 (stop) or a pattern's number,
// /velmo/speed with the speed factor, /velmo/tap, /velmo/line/N with 1 (on)
// or 0 (off). value is its one numeric argument, integer or float (a whole
// number where a number is counted); /velmo/tap with none or any but 0 (a
// button's release); nothing for anything else.
std::optional<Command> oscCommand(std::string_view address, std::optional<double> value);

}  // namespace velmo::remote
