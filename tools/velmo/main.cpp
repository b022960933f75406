// SPDX-License-Identifier: GPL-3.0-or-later
// velmo: drives the chaser and the switch panel on the session bus, for
// scripts and cron.
#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <variant>

#include "port/port_view.h"
#include "tools/velmo/command.h"
#include "tools/velmo/run_command.h"
#include "tools/velmo/usage.h"

int main(int argc, char* argv[]) {
  using namespace velmo;
  const CommandLineOutcome commandLine = handleCommandLine(argc, argv, cli::kUsage);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  QCoreApplication application(argc, argv);
  try {
    const auto port = commandLine.value(cli::kPortOption.name);
    const auto command = std::get<cli::Command>(
        cli::readCommand(commandLine.operands, commandLine.has(cli::kJsonOption.name)));
    return cli::runCommand(
        command, port::viewPort(port ? std::string(*port) : port::environmentPortSetting()),
        std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "velmo: " << error.what() << '\n';
    return 1;
  }
}
