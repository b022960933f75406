// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "port/port_forms.h"
#include "port/port_view.h"
#include "system/command_line.h"

namespace velmo::cli {

// The check of a whole command line (ProgramUsage::check): the problem with
// its command, "" when there is none.
std::string checkCommandLine(const CommandLineRequest& request);

// The port whose programs velmo drives; wins over VELMO_PORT.
inline constexpr ProgramOption kPortOption{
    "--port", "the port whose programs to drive, as VELMO_PORT names it", "TARGET",
    port::isPortSetting, "TARGET must be " VELMO_PORT_FORMS};
inline constexpr ProgramOption kJsonOption{"--json", "status as one JSON object, for programs"};
inline constexpr ProgramOption kOptions[] = {kPortOption, kJsonOption};

// What velmo --help says about it.
inline constexpr ProgramUsage kUsage{
    "Drives the chaser and the switch panel over the session bus, for scripts:\n"
    "  chaser start PATTERN   start pattern 1, 2 or 3, as a click on its button\n"
    "  chaser stop            stop the pattern, as a click on \"Deaktiver\"\n"
    "  line LINE on|off       switch line 1 to 8, as a click on its button\n"
    "  status                 the register, the pattern, the panel's lines and\n"
    "                         which programs run (exit status 1 when neither does)\n"
    "It drives the programs on the port that VELMO_PORT selects; an installed\n"
    "Velmo starts a program that is not running. More in the manual page velmo(1).\n",
    kOptions, "COMMAND [ARGUMENT]...", checkCommandLine};

}  // namespace velmo::cli
