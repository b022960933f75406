// SPDX-License-Identifier: GPL-3.0-or-later
#include "system/command_line.h"

#include <algorithm>
#include <iostream>
#include <ostream>

#include "system/paths.h"

#ifndef VELMO_VERSION
#error "VELMO_VERSION must be defined to the project's version"
#endif

namespace velmo {
namespace {

// Qt's own options, which QApplication takes out of argv once it exists:
// accepted here so that -platform offscreen, -display and a session manager's
// -session keep working.
constexpr std::string_view kQtOptionsWithValue[] = {
    "-platform",   "-platformpluginpath", "-platformtheme", "-plugin",
    "-display",    "-geometry",           "-session",       "-style",
    "-stylesheet", "-qwindowgeometry",    "-qwindowicon",   "-qwindowtitle"};
constexpr std::string_view kQtFlags[] = {"-reverse"};

template <std::size_t N>
bool isOneOf(std::string_view argument, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), argument) != std::end(names);
}

const ProgramOption* programOption(std::string_view argument,
                                   std::span<const ProgramOption> programOptions) {
  const auto found =
      std::find_if(programOptions.begin(), programOptions.end(),
                   [&](const ProgramOption& option) { return option.name == argument; });
  return found == programOptions.end() ? nullptr : &*found;
}

CommandLineRequest usageError(std::string problem) {
  return {CommandLineRequest::Action::UsageError, {}, {}, {}, std::move(problem)};
}

void printUsage(std::ostream& stream, std::string_view name, const ProgramUsage& usage) {
  stream << "Usage: " << name << " [OPTION]..." << (usage.operands.empty() ? "" : " ")
         << usage.operands << '\n'
         << usage.summary << "\nOptions:\n";
  // Every help text starts in one column, two blanks after the longest option.
  const auto written = [](const ProgramOption& option) {
    return std::string(option.name) +
           (option.valueName.empty() ? "" : " " + std::string(option.valueName));
  };
  std::size_t column = 12;
  for (const ProgramOption& option : usage.options)
    column = std::max(column, written(option).size() + 2);
  const auto printOption = [&](const std::string& option, std::string_view help) {
    stream << "  " << option << std::string(column - option.size(), ' ') << help << '\n';
  };
  for (const ProgramOption& option : usage.options) printOption(written(option), option.help);
  printOption("--help", "show this help and exit");
  printOption("--version", "show the version and exit");
  stream << "Qt's options (-platform NAME, -display DISPLAY ...) are passed on to Qt.\n";
}

std::string_view programName(int argc, const char* const* argv) {
  if (argc < 1 || argv[0] == nullptr || *argv[0] == '\0') return "velmo";
  return fileNameOf(argv[0]);
}

}  // namespace

CommandLineRequest parseCommandLine(std::span<const std::string_view> arguments,
                                    std::span<const ProgramOption> programOptions,
                                    bool takesOperands) {
  CommandLineRequest request;
  bool help = false;
  bool version = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help") {
      help = true;
    } else if (argument == "--version") {
      version = true;
    } else if (const ProgramOption* option = programOption(argument, programOptions)) {
      request.options.push_back(argument);
      if (option->valueName.empty()) continue;
      if (++i == arguments.size())
        return usageError("option " + std::string(argument) + " needs a value");
      if (option->accepts && !option->accepts(arguments[i]))
        return usageError(std::string(argument) + " " + std::string(arguments[i]) + ": " +
                          std::string(option->valueRule));
      request.values[argument] = arguments[i];
    } else if (isOneOf(argument, kQtOptionsWithValue)) {
      if (++i == arguments.size())
        return usageError("option " + std::string(argument) + " needs a value");
    } else if (takesOperands && !argument.starts_with('-')) {
      request.operands.push_back(argument);
    } else if (!isOneOf(argument, kQtFlags)) {
      return usageError((argument.starts_with('-') ? "unknown option " : "unexpected argument ") +
                        std::string(argument));
    }
  }
  if (help)
    request.action = CommandLineRequest::Action::ShowHelp;
  else if (version)
    request.action = CommandLineRequest::Action::ShowVersion;
  return request;
}

bool CommandLineOutcome::has(std::string_view option) const {
  return std::find(options.begin(), options.end(), option) != options.end();
}

std::optional<std::string_view> CommandLineOutcome::value(std::string_view option) const {
  const auto found = values.find(option);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

CommandLineOutcome handleCommandLine(int argc, const char* const* argv, const ProgramUsage& usage,
                                     std::ostream& out, std::ostream& err) {
  const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
  CommandLineRequest request = parseCommandLine(arguments, usage.options, !usage.operands.empty());
  if (request.action == CommandLineRequest::Action::Run && usage.check) {
    if (std::string problem = usage.check(request); !problem.empty())
      request = usageError(std::move(problem));
  }
  const std::string_view name = programName(argc, argv);
  switch (request.action) {
    case CommandLineRequest::Action::ShowHelp:
      printUsage(out, name, usage);
      return {0, {}, {}, {}};
    case CommandLineRequest::Action::ShowVersion:
      out << name << " (Velmo) " << VELMO_VERSION << '\n';
      return {0, {}, {}, {}};
    case CommandLineRequest::Action::UsageError:
      err << name << ": " << request.problem << '\n';
      printUsage(err, name, usage);
      return {kUsageErrorStatus, {}, {}, {}};
    case CommandLineRequest::Action::Run:
      break;
  }
  return {std::nullopt, std::move(request.options), std::move(request.values),
          std::move(request.operands)};
}

CommandLineOutcome handleCommandLine(int argc, const char* const* argv, const ProgramUsage& usage) {
  return handleCommandLine(argc, argv, usage, std::cout, std::cerr);
}

}  // namespace velmo
