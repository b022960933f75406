// SPDX-License-Identifier: GPL-3.0-or-later
// velmo: drives the chaser and the switch panel on the session bus, for
// scripts and cron.
#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <variant>

#include "port/port_view.h"
#include "schedule/schedule_file.h"
#include "tools/velmo/command.h"
#include "tools/velmo/run_command.h"
#include "tools/velmo/schedule_commands.h"
#include "tools/velmo/usage.h"

namespace {

int runScheduleCommand(const velmo::cli::Command& command,
                       const velmo::CommandLineOutcome& commandLine,
                       const velmo::port::PortView& view) {
  using namespace velmo;
  const std::string path = command.file.empty() ? schedule::defaultSchedulePath() : command.file;
  if (path.empty()) {
    std::cerr << "velmo: neither XDG_CONFIG_HOME nor HOME tells where the schedule is; give FILE\n";
    return 1;
  }
  if (command.action == cli::Action::kScheduleRun)
    return cli::runSchedule(path, view, std::cout, std::cerr);
  const auto days = commandLine.value(cli::kDaysOption.name);
  const auto from = commandLine.value(cli::kFromOption.name);
  return cli::listSchedule(path, from ? std::optional<std::string>(*from) : std::nullopt,
                           days ? static_cast<unsigned>(std::stoul(std::string(*days))) : 7,
                           std::cout, std::cerr);
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace velmo;
  const CommandLineOutcome commandLine = handleCommandLine(argc, argv, cli::kUsage);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  QCoreApplication application(argc, argv);
  try {
    const auto port = commandLine.value(cli::kPortOption.name);
    const auto command = std::get<cli::Command>(
        cli::readCommand(commandLine.operands, commandLine.has(cli::kJsonOption.name)));
    const port::PortView view =
        port::viewPort(port ? std::string(*port) : port::environmentPortSetting());
    if (command.action == cli::Action::kScheduleList || command.action == cli::Action::kScheduleRun)
      return runScheduleCommand(command, commandLine, view);
    return cli::runCommand(command, view, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "velmo: " << error.what() << '\n';
    return 1;
  }
}
