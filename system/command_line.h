// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

// One of a program's own command-line options, such as portmonitor's --watch
// or the chaser's --pattern N.
struct ProgramOption {
  std::string_view name;            // "--watch"
  std::string_view help;            // one line for the usage text
  std::string_view valueName = {};  // "N" for an option followed by a value; "" for a flag
  // For an option with a value: whether a value is valid, and the rule a
  // usage error gives for one that is not ("N must be 1, 2 or 3").
  bool (*accepts)(std::string_view value) = nullptr;
  std::string_view valueRule = {};
};

// Exit status of a program started with a command line it does not take.
inline constexpr int kUsageErrorStatus = 2;

// What a command line asks for.
struct CommandLineRequest {
  enum class Action { Run, ShowHelp, ShowVersion, UsageError };
  Action action = Action::Run;
  std::vector<std::string_view> options;  // Run: the program's own options given, in order
  std::map<std::string_view, std::string_view> values;  // Run: the values of those that take one
  std::vector<std::string_view> operands;  // Run: the arguments that are no options, in order
  std::string problem;                     // UsageError: what is wrong, e.g. "unknown option -x"
};

// What a program's usage text says about it besides the options every
// program has (--help, --version).
struct ProgramUsage {
  std::string_view summary;                     // what it does: lines, each ending in '\n'
  std::span<const ProgramOption> options = {};  // the program's own options
  // The operands the program takes after its options, as the usage line
  // names them ("COMMAND [ARGUMENT]..."); "" for a program that takes none.
  std::string_view operands = {};
  // Checks a command line that asks to run, as a whole: returns what is
  // wrong with it, or "" when nothing is. Null takes every such line.
  std::string (*check)(const CommandLineRequest& request) = nullptr;
};

// Reads the arguments that follow the program name: --help, --version, the
// program's own options, and Qt's options (-platform NAME, -display DISPLAY,
// -session ID, -style STYLE ...), which are accepted and left for
// QApplication to take. Any other argument is an operand when the program
// takes operands, kept in order wherever it stands among the options; for a
// program that takes none the first such argument is a usage error, as is a
// Qt option without its value. Otherwise --help wins over --version, and
// either over running. An option that takes a value takes the next argument;
// a missing value, or one that its accepts() refuses, is a usage error.
CommandLineRequest parseCommandLine(std::span<const std::string_view> arguments,
                                    std::span<const ProgramOption> programOptions,
                                    bool takesOperands = false);

// How a program goes on after handleCommandLine.
struct CommandLineOutcome {
  std::optional<int> exitStatus;                        // set when the program must end now with it
  std::vector<std::string_view> options;                // the program's own options given
  std::map<std::string_view, std::string_view> values;  // their values, for those that take one
  std::vector<std::string_view> operands;               // the operands, in order
  bool has(std::string_view option) const;
  std::optional<std::string_view> value(std::string_view option) const;
};

// Handles argv before anything needs a display: --help prints the usage and
// --version the version on out, with exit status 0; a usage error, also one
// that usage.check finds, prints "NAME: problem" and the usage on err, with
// kUsageErrorStatus. NAME is the
// name the program was started by (argv[0] without its folder). argv is not
// changed.
CommandLineOutcome handleCommandLine(int argc, const char* const* argv, const ProgramUsage& usage,
                                     std::ostream& out, std::ostream& err);

// The same on standard output and standard error.
CommandLineOutcome handleCommandLine(int argc, const char* const* argv, const ProgramUsage& usage);

}  // namespace velmo
