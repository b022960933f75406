// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "port/port_view.h"

namespace velmo::cli {

// `velmo schedule list`: prints each start, stop and skipped day of the
// schedule file's shows from from (now unless given, a local time as
// "YYYY-MM-DD HH:MM" writes it) for days days. Returns 0, or 1 when the file
// is not a schedule (told on err).
int listSchedule(const std::string& path, std::optional<std::string> from, unsigned days,
                 std::ostream& out, std::ostream& err);

// `velmo schedule run`: runs the schedule file's shows on the programs of
// the port view describes until ended, driving them as `velmo chaser start`,
// `velmo chaser stop` and `velmo line` do. Needs a QCoreApplication. Returns
// 1 when the file is not a schedule at start.
int runSchedule(const std::string& path, const port::PortView& view, std::ostream& out,
                std::ostream& err);

}  // namespace velmo::cli
