// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "port/port_forms.h"
#include "qt/program_life.h"
#include "system/command_line.h"

namespace velmo::chaser {

inline constexpr ProgramOption kPatternOption{
    "--pattern", "start pattern N (1, 2 or 3) at once, as a click on its button", "N",
    [](std::string_view n) { return n == "1" || n == "2" || n == "3"; }, "N must be 1, 2 or 3"};
inline constexpr ProgramOption kOptions[] = {kPatternOption, qt::kHeadlessOption};

// What chaser --help says about it.
inline constexpr ProgramUsage kUsage{
    "Runs light-chaser patterns on the eight data lines of the port. The step\n"
    "times come from Velmo1.ini beside the program.\n" VELMO_PORT_HELP
    "The session bus drives it too (org.velmo.Chaser; see velmo(1)).\n"
    "More in the manual page velmo-chaser(1).\n",
    kOptions};

}  // namespace velmo::chaser
