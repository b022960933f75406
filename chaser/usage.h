// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chaser/user_pattern.h"
#include "port/port_forms.h"
#include "qt/program_life.h"
#include "system/command_line.h"

namespace velmo::chaser {

inline constexpr ProgramOption kPatternOption{
    "--pattern", "start pattern N (1, 2, 3 or your own) at once, as its button", "N",
    [](std::string_view n) { return patternNumberOf(n) != 0; },
    "N must be a pattern number, 1 to 99"};
inline constexpr ProgramOption kOptions[] = {kPatternOption, qt::kHeadlessOption};

// The pattern the command line asks to start, or 0 for none.
inline int patternAskedFor(const CommandLineOutcome& commandLine) {
  const auto value = commandLine.value(kPatternOption.name);
  return value ? patternNumberOf(*value) : 0;
}

// What chaser --help says about it.
inline constexpr ProgramUsage kUsage{
    "Runs light-chaser patterns on the eight data lines of the port. The step\n"
    "times come from Velmo1.ini beside the program.\n" VELMO_PORT_HELP
    "The session bus drives it too (org.velmo.Chaser; see velmo(1)).\n"
    "More in the manual page velmo-chaser(1).\n",
    kOptions};

}  // namespace velmo::chaser
