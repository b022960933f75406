// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "system/command_line.h"
#include "tools/velmo/port_view.h"

namespace velmo::cli {

// The check of a whole command line (ProgramUsage::check): the problem with
// its command, "" when there is none.
std::string checkCommandLine(const CommandLineRequest& request);

// The port whose programs velmo drives; wins over VELMO_PORT.
inline constexpr ProgramOption kPortOption{
    "--port", "the port whose programs to drive, as VELMO_PORT names it", "TARGET", isPortSetting,
    "TARGET must be sim, sim:PATH, hw:NAME or ola:UNIVERSE[:CHANNEL][@RPCPORT]"};
inline constexpr ProgramOption kJsonOption{"--json", "status as one JSON object, for programs"};

// Whether value is "YYYY-MM-DD HH:MM", a day count 1 to 366.
bool isLocalTimeText(std::string_view value);
bool isDayCount(std::string_view value);
inline constexpr ProgramOption kFromOption{
    "--from", "schedule list: from then on, not from now", "\"YYYY-MM-DD HH:MM\"", isLocalTimeText,
    "--from takes a local date and time, \"YYYY-MM-DD HH:MM\""};
inline constexpr ProgramOption kDaysOption{"--days", "schedule list: for N days, not 7", "N",
                                           isDayCount, "N must be 1 to 366"};
inline constexpr ProgramOption kOptions[] = {kPortOption, kJsonOption, kFromOption, kDaysOption};

// What velmo --help says about it.
inline constexpr ProgramUsage kUsage{
    "Drives the chaser and the switch panel over the session bus, for scripts:\n"
    "  chaser start PATTERN   start a pattern (1 to 3, or one of yours), as a\n"
    "                         click on its button\n"
    "  chaser stop            stop the pattern, as a click on \"Deaktiver\"\n"
    "  chaser list            the chaser's patterns: number and name\n"
    "  chaser speed SPEED     the speed factor, 0.25 to 4 (2 is twice as fast)\n"
    "  chaser tap             a tap of the beat, as a click on \"Tapp\"\n"
    "  line LINE on|off       switch line 1 to 8, as a click on its button\n"
    "  status                 the register, the pattern, the panel's lines and\n"
    "                         which programs run (exit status 1 when neither does)\n"
    "  remote url             the address of the remote's page, with its token\n"
    "  remote open            that page, in the desktop's web browser\n"
    "  schedule list [FILE]   the starts and stops of the schedule's shows\n"
    "  schedule run [FILE]    start and stop the shows at their times; FILE is\n"
    "                         ~/.config/velmo/schedule.ini unless given\n"
    "It drives the programs on the port that VELMO_PORT selects; an installed\n"
    "Velmo starts a program that is not running. More in the manual pages velmo(1)\n"
    "and velmo-schedule(1).\n",
    kOptions, "COMMAND [ARGUMENT]...", checkCommandLine};

}  // namespace velmo::cli
