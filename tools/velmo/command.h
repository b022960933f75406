// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmo::cli {

// What a velmo command line asks of the programs.
enum class Action {
  kChaserStart,
  kChaserStop,
  kSetLine,
  kStatus,
  kRemoteUrl,
  kRemoteOpen,
  kScheduleList,
  kScheduleRun,
  kChaserList,
  kChaserSpeed,
  kChaserTap
};

// The speed factor of kChaserSpeed, in thousandths, as its argument holds it.
inline constexpr double kSpeedUnit = 1000;

struct Command {
  Action action = Action::kStatus;
  // kChaserStart: {pattern 1..99}; kSetLine: {line 1..8, 1 for on or 0 for
  // off}; kChaserSpeed: {speed in thousandths, 250..4000}.
  std::vector<unsigned> arguments;
  bool json = false;  // kStatus only: one JSON object instead of text
  std::string file;   // kScheduleList, kScheduleRun: the schedule file given, "" for the default
};

// Reads the operands of a command line ("chaser", "start", "2") and whether
// --json was given: the command, or what is wrong with them as the problem
// of a usage error ("line 9 on: LINE must be 1 to 8").
std::variant<Command, std::string> readCommand(std::span<const std::string_view> operands,
                                               bool json);

}  // namespace velmo::cli
