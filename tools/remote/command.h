// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <array>
#include <optional>
#include <string_view>
#include <variant>

#include "tools/remote/refusal.h"

namespace velmo::remote {

inline constexpr unsigned kLineCount = 8;

// The chaser's patterns as its buttons name them: pattern N is [N], and 0
// stops.
inline constexpr std::array<std::string_view, 4> kBuiltInPatterns = {"Deaktiver", "Løpelys 1",
                                                                     "Løpelys 2", "Løpelys 3"};

// Starts chaser pattern 1 to 3, or stops it (0): what a click on "Løpelys 1"
// to "Løpelys 3" or "Deaktiver" does.
struct ChaserCommand {
  unsigned pattern = 0;
  bool operator==(const ChaserCommand&) const = default;
};

// Switches line 1 to 8 on or off: what a click on the switch panel's
// "Aktiver…" or "Deaktiver…" button of the line does.
struct LineCommand {
  unsigned line = 0;
  bool on = false;
  bool operator==(const LineCommand&) const = default;
};

using Command = std::variant<ChaserCommand, LineCommand>;
using CommandOrRefusal = std::variant<Command, Refusal>;

// The body of POST /api/v1/chaser: {"pattern": 0 to 3}. Anything else is
// refused (400) with what is valid.
CommandOrRefusal chaserCommand(const QByteArray& body);

// The body of PUT /api/v1/lines/LINE, {"on": true or false}, with the line
// from the path.
CommandOrRefusal lineCommand(std::string_view line, const QByteArray& body);

// A command on the push channel: {"pattern": 0 to 3} for the chaser,
// {"line": 1 to 8, "on": true or false} for a line.
CommandOrRefusal pushCommand(const QByteArray& message);

// An OSC message: /velmo/chaser with 0 (stop) or 1 to 3, /velmo/line/N with
// 1 (on) or 0 (off). value is its one numeric argument, integer or float
// (a float must be a whole number); nothing for anything else.
std::optional<Command> oscCommand(std::string_view address, double value);

}  // namespace velmo::remote
