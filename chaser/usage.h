#pragma once

#include "system/command_line.h"

namespace velmo::chaser {

// What chaser --help says about it.
inline constexpr ProgramUsage kUsage{
    "Runs light-chaser patterns on the eight data lines of the port. The step\n"
    "times come from Velmo1.ini beside the program; VELMO_PORT chooses the port.\n"
    "More in the manual page velmo-chaser(1).\n"};

}  // namespace velmo::chaser
