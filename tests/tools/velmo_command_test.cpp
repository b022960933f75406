// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "tools/velmo/command.h"
#include "tools/velmo/port_view.h"
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
  static const char* const kNames[] = {"start",       "stop",        "line", "status",
                                       "remote url",  "remote open", "list", "run",
                                       "chaser list", "speed",       "tap"};
  std::string words = kNames[static_cast<int>(command.action)];
  for (const unsigned argument : command.arguments) words += " " + std::to_string(argument);
  if (!command.file.empty()) words += " " + command.file;
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
      {{"remote", "url"}, "remote url"},
      {{"chaser", "start", "42"}, "start 42"},
      {{"chaser", "list"}, "chaser list"},
      {{"chaser", "speed", "1.5"}, "speed 1500"},
      {{"chaser", "tap"}, "tap"},
      {{},
       "usage: no command given; the commands are chaser start PATTERN, chaser stop, "
       "chaser list, chaser speed SPEED, chaser tap, line LINE STATE, status, remote url, "
       "remote open, schedule list [FILE], schedule run [FILE]"},
      {{"schedule", "list", "--from", "2024-06-01 18:00", "--days", "2"}, "list"},
      {{"schedule", "run", "shop.ini"}, "run shop.ini"},
      {{"schedule", "run", "a.ini", "b.ini"},
       "usage: unexpected argument b.ini after schedule run a.ini"},
      {{"schedule", "list", "--from", "2024-02-30 18:00"},
       "usage: --from 2024-02-30 18:00: --from takes a local date and time, \"YYYY-MM-DD HH:MM\""},
      {{"schedule", "list", "--days", "0"}, "usage: --days 0: N must be 1 to 366"},
      {{"schedule", "run", "--days", "2"}, "usage: --from and --days go with schedule list only"},
      {{"chaser", "start"}, "usage: chaser start PATTERN: PATTERN is missing"},
      {{"chaser", "start", "100"}, "usage: chaser start 100: PATTERN must be 1 to 99"},
      {{"chaser", "speed", "4.5"}, "usage: chaser speed 4.5: SPEED must be 0.25 to 4"},
      {{"chaser", "speed", "1,5"}, "usage: chaser speed 1,5: SPEED must be 0.25 to 4"},
      {{"chaser", "stop", "1"}, "usage: unexpected argument 1 after chaser stop"},
      {{"line", "9", "on"}, "usage: line 9: LINE must be 1 to 8"},
      {{"line", "3", "ON"}, "usage: line 3 ON: STATE must be on or off"},
      {{"status", "now"}, "usage: unexpected argument now after status"},
      {{"--json", "chaser", "stop"}, "usage: --json goes with status only"},
      {{"--port", "lpt1", "status"},
       "usage: --port lpt1: TARGET must be sim, sim:PATH, hw:NAME or "
       "ola:UNIVERSE[:CHANNEL][@RPCPORT]"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    EXPECT_EQ(read(row.arguments), row.expected);
  }
}

}  // namespace
}  // namespace velmo::cli
