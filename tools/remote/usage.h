// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/command_line.h"

namespace velmo::remote {

inline constexpr ProgramOption kListenOption{
    "--listen", "serve the network there; every request then needs the token", "ADDR:PORT"};
inline constexpr ProgramOption kOscOption{
    "--osc", "take OSC commands on UDP PORT, from this computer only", "PORT"};
inline constexpr ProgramOption kOscAllowOption{
    "--osc-allow", "take OSC from the senders in CIDR (192.168.1.0/24) instead", "CIDR"};
inline constexpr ProgramOption kPortOption{
    "--port", "drive the programs on TARGET instead of VELMO_PORT's", "TARGET"};
inline constexpr ProgramOption kOptions[] = {kListenOption, kOscOption, kOscAllowOption,
                                             kPortOption};

// What velmo-remote --help says about it.
inline constexpr ProgramUsage kUsage{
    "Serves a web page, a JSON API and OSC that drive the chaser and the switch panel\n"
    "through the session bus, and shows the port's lines live. Without --listen it\n"
    "answers this computer only, on http://127.0.0.1:8356/.\n"
    "More in the manual page velmo-remote(1).\n",
    kOptions};

}  // namespace velmo::remote
