#pragma once

#include "system/command_line.h"

namespace velmo::switchpanel {

// What switchpanel --help says about it.
inline constexpr ProgramUsage kUsage{
    "Switches each of the eight data lines of the port on and off from sixteen\n"
    "buttons labelled from Velmo.ini beside the program; VELMO_PORT chooses the\n"
    "port. More in the manual page velmo-switchpanel(1).\n"};

}  // namespace velmo::switchpanel
