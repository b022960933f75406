// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "tools/velmo/command.h"
#include "tools/velmo/usage.h"

namespace velmo::cli {
namespace {

// The command a command line asks for, in words, or "usage: " and the problem.
std::string read(const std::vector<std::string_view>& arguments) {
  const CommandLineRequest request = parseCommandLine(arguments, kOptions, true);
  if (request.action == CommandLineRequest::Action::UsageError) return "usage: " + request.problem;
  if (const std::string problem = checkCommandLine(request); !problem.empty())
    return "usage: " + problem;
  const auto command = std::get<Command>(readCommand(request.operands, false));
  static const char* const kNames[] = {"start", "stop", "line", "status"};
  std::string words = kNames[static_cast<int>(command.action)];
  for (const unsigned argument : command.arguments) words += " " + std::to_string(argument);
  return words;
}

TEST(VelmoCommand, ReadsEachCommandLine) {
  const struct {
    std::vector<std::string_view> arguments;
    std::string expected;
  } rows[] = {
      {{"chaser", "start", "1"}, "start 1"},
      {{"chaser", "stop"}, "stop"},
      {{"line", "8", "off"}, "line 8 0"},
      {{"line", "1", "on", "--port", "hw:parport0"}, "line 1 1"},
      {{"status", "--json"}, "status"},
      {{},
       "usage: no command given; the commands are chaser start PATTERN, chaser stop, "
       "line LINE STATE, status"},
      {{"chaser", "start"}, "usage: chaser start PATTERN: PATTERN is missing"},
      {{"chaser", "start", "4"}, "usage: chaser start 4: PATTERN must be 1, 2 or 3"},
      {{"chaser", "stop", "1"}, "usage: unexpected argument 1 after chaser stop"},
      {{"line", "9", "on"}, "usage: line 9: LINE must be 1 to 8"},
      {{"line", "3", "ON"}, "usage: line 3 ON: STATE must be on or off"},
      {{"status", "now"}, "usage: unexpected argument now after status"},
      {{"--json", "chaser", "stop"}, "usage: --json goes with status only"},
      {{"--port", "lpt1", "status"}, "usage: --port lpt1: TARGET must be " VELMO_PORT_FORMS},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    EXPECT_EQ(read(row.arguments), row.expected);
  }
}

}  // namespace
}  // namespace velmo::cli
