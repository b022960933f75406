// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "port/port_forms.h"
#include "system/command_line.h"

namespace velmo::portmonitor {

inline constexpr ProgramOption kWatchOption{
    "--watch", "print one line per change in the terminal instead of a window"};
inline constexpr ProgramOption kOptions[] = {kWatchOption};

// What portmonitor --help says about it.
inline constexpr ProgramUsage kUsage{
    "Shows the eight data lines of the port register that VELMO_PORT selects.\n" VELMO_PORT_HELP
    "More in the manual page velmo-portmonitor(1).\n",
    kOptions};

}  // namespace velmo::portmonitor
