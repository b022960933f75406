// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "port/port_forms.h"
#include "qt/program_life.h"
#include "system/command_line.h"

namespace velmo::switchpanel {

inline constexpr ProgramOption kMinimizedOption{
    "--minimized", "start in the notification area (minimised where there is none)"};
inline constexpr ProgramOption kOptions[] = {kMinimizedOption, qt::kHeadlessOption};

// What switchpanel --help says about it.
inline constexpr ProgramUsage kUsage{
    "Switches each of the eight data lines of the port on and off from sixteen\n"
    "buttons labelled from Velmo.ini beside the program.\n" VELMO_PORT_HELP
    "The session bus drives it too (org.velmo.SwitchPanel; see velmo(1)).\n"
    "More in the manual page velmo-switchpanel(1).\n",
    kOptions};

}  // namespace velmo::switchpanel
