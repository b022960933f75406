// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "dbus/bus_names.h"

namespace velmo::cli {

// What to tell when the program does not run for the port target, with how
// to start it from the command line: "the chaser is not running for the
// default port; start it with velmo-chaser (or FOLDER/chaser)", FOLDER
// being the program folder.
std::string notRunningMessage(const dbus::ProgramIdentity& program, const std::string& target,
                              const std::string& programFolder);

}  // namespace velmo::cli
