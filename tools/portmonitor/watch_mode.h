// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>

#include "port/port_view.h"

namespace velmo::portmonitor {

// The terminal view: prints the byte found at start ("now"), then one line
// per change ("out") to out, flushed at once, until the process is
// interrupted; also a line when the register is lost ("lost", with why) and
// when it is followed again ("back"), and when the output of a program on
// it is away ("output away: <why>") and no longer ("output no longer
// away"). Reading errors go to err and the watch goes on. Waits in poll()
// without a timeout: nothing runs while nothing changes. Returns the exit
// status when the watch cannot go on.
int runWatchMode(port::RegisterWatcher& watcher, std::ostream& out, std::ostream& err);

}  // namespace velmo::portmonitor
