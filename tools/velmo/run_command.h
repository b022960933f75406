// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "port/port_view.h"
#include "tools/velmo/command.h"

namespace velmo::cli {

// Carries out command on the session bus for the programs on the port that
// view describes, printing what it tells on out and every problem, as
// "velmo: ...", on err. Needs a QCoreApplication. Returns the exit status:
// 0 when done; 1 when the program asked does not run and cannot be started,
// when it refused (with the D-Bus error's message), when there is no session
// bus, and for status when neither program runs. Throws
// port::PortAccessError when status cannot read the register.
int runCommand(const Command& command, const port::PortView& view, std::ostream& out,
               std::ostream& err);

}  // namespace velmo::cli
