// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace velmo {
namespace {

using Action = CommandLineRequest::Action;

constexpr ProgramOption kWatch{"--watch", "watch in the terminal"};
constexpr ProgramOption kPattern{"--pattern", "start pattern N", "N",
                                 [](std::string_view n) { return n == "1" || n == "2"; },
                                 "N must be 1 or 2"};
constexpr ProgramOption kOptions[] = {kWatch, kPattern};

struct Case {
  std::vector<std::string_view> arguments;
  Action action;
  std::vector<std::string_view> options;
  std::string problem;
};

TEST(CommandLineTest, ReadsEachCommandLine) {
  const Case cases[] = {
      {{}, Action::Run, {}, ""},
      {{"--watch"}, Action::Run, {"--watch"}, ""},
      {{"--help"}, Action::ShowHelp, {}, ""},
      {{"--version"}, Action::ShowVersion, {}, ""},
      {{"--version", "--help"}, Action::ShowHelp, {}, ""},
      {{"--watch", "--version"}, Action::ShowVersion, {"--watch"}, ""},
      // Qt's options are left for QApplication, with their values.
      {{"-platform", "offscreen", "--watch"}, Action::Run, {"--watch"}, ""},
      {{"-display", ":1", "-reverse", "-session", "1a2b"}, Action::Run, {}, ""},
      {{"-style", "--help"}, Action::Run, {}, ""},  // "--help" is the style's name
      {{"-platform"}, Action::UsageError, {}, "option -platform needs a value"},
      {{"--bogus"}, Action::UsageError, {}, "unknown option --bogus"},
      {{"--help", "--bogus"}, Action::UsageError, {}, "unknown option --bogus"},
      {{"-h"}, Action::UsageError, {}, "unknown option -h"},
      {{"--watch=1"}, Action::UsageError, {}, "unknown option --watch=1"},
      {{"Velmo1.ini"}, Action::UsageError, {}, "unexpected argument Velmo1.ini"},
      {{""}, Action::UsageError, {}, "unexpected argument "},
      {{"--pattern", "2", "--watch"}, Action::Run, {"--pattern", "--watch"}, ""},
      {{"--pattern"}, Action::UsageError, {}, "option --pattern needs a value"},
      {{"--pattern", "3"}, Action::UsageError, {}, "--pattern 3: N must be 1 or 2"},
  };
  for (const Case& row : cases) {
    const CommandLineRequest request = parseCommandLine(row.arguments, kOptions);
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    EXPECT_EQ(request.action, row.action);
    EXPECT_EQ(request.options, row.options);
    EXPECT_EQ(request.problem, row.problem);
  }
}

TEST(CommandLineTest, AnOptionOfAnotherProgramIsUnknown) {
  const std::vector<std::string_view> arguments = {"--watch"};
  EXPECT_EQ(parseCommandLine(arguments, {}).action, Action::UsageError);
}

TEST(CommandLineTest, OperandsAmongTheOptionsGoToTheProgramsCheckOfTheWholeLine) {
  const ProgramUsage usage{"Does a thing.\n", kOptions, "WORD",
                           [](const CommandLineRequest& request) -> std::string {
                             return request.operands.size() == 1 ? "" : "one WORD, please";
                           }};
  std::ostringstream out, err;
  const char* const twoWords[] = {"thing", "a", "--watch", "b"};
  EXPECT_EQ(handleCommandLine(4, twoWords, usage, out, err).exitStatus, kUsageErrorStatus);
  EXPECT_EQ(err.str().rfind("thing: one WORD, please\nUsage: thing [OPTION]... WORD\n", 0), 0u);
  const char* const oneWord[] = {"thing", "--pattern", "1", "a", "--watch"};
  const CommandLineOutcome run = handleCommandLine(5, oneWord, usage, out, err);
  EXPECT_EQ(run.operands, (std::vector<std::string_view>{"a"}));
  EXPECT_EQ(run.options, (std::vector<std::string_view>{"--pattern", "--watch"}));
}

struct Outcome {
  CommandLineOutcome result;
  std::string out;
  std::string err;
};

Outcome handle(std::vector<const char*> argv) {
  std::ostringstream out, err;
  const ProgramUsage usage{"Does a thing.\n", kOptions};
  CommandLineOutcome result =
      handleCommandLine(static_cast<int>(argv.size()), argv.data(), usage, out, err);
  return {std::move(result), out.str(), err.str()};
}

TEST(CommandLineTest, HelpAndVersionPrintOnStandardOutputAndEndTheProgram) {
  const Outcome help = handle({"/opt/velmo/thing", "--help"});
  EXPECT_EQ(help.result.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("Usage: thing [OPTION]...\nDoes a thing.\n", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("  --watch      watch in the terminal\n"), std::string::npos);
  EXPECT_EQ(help.err, "");

  const Outcome version = handle({"velmo-thing", "--version"});
  EXPECT_EQ(version.result.exitStatus, 0);
  EXPECT_EQ(version.out, "velmo-thing (Velmo) " VELMO_VERSION "\n");
}

TEST(CommandLineTest, AUsageErrorPrintsTheProblemAndUsageOnStandardError) {
  const Outcome bogus = handle({"thing", "--bogus"});
  EXPECT_EQ(bogus.result.exitStatus, kUsageErrorStatus);
  EXPECT_EQ(bogus.out, "");
  EXPECT_EQ(bogus.err.rfind("thing: unknown option --bogus\nUsage: thing [OPTION]...\n", 0), 0u)
      << bogus.err;
}

TEST(CommandLineTest, ARunGoesOnWithTheProgramsOptions) {
  const Outcome run = handle({"thing", "-platform", "offscreen", "--watch"});
  EXPECT_FALSE(run.result.exitStatus);
  EXPECT_TRUE(run.result.has("--watch"));
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_FALSE(handle({"thing"}).result.has("--watch"));
  EXPECT_EQ(handle({"thing", "--pattern", "1"}).result.value("--pattern"), "1");
  EXPECT_FALSE(handle({}).result.exitStatus);  // started with no argv at all
}

}  // namespace
}  // namespace velmo
