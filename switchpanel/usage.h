#pragma once

#include "platform/command_line.h"

namespace velmo {

// What switchpanel --help says about it.
inline constexpr ProgramUsage kSwitchPanelUsage{
    "Switches each of the eight data lines of the port on and off from sixteen\n"
    "buttons labelled from Velmo.ini beside the program; VELMO_PORT chooses the\n"
    "port. More in the manual page velmo-switchpanel(1).\n"};

}  // namespace velmo
