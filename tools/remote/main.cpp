// SPDX-License-Identifier: GPL-3.0-or-later
// velmo-remote: a web page, a JSON API and OSC that drive the chaser and the
// switch panel through the session bus, closed to strangers. See
// tools/remote/remote_app.h.
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <exception>
#include <iostream>

#include "port/port_view.h"
#include "tools/remote/quit_on_signals.h"
#include "tools/remote/remote_app.h"
#include "tools/remote/remote_options.h"
#include "tools/remote/usage.h"

int main(int argc, char** argv) {
  using namespace velmo::remote;
  const auto commandLine = velmo::handleCommandLine(argc, argv, kUsage);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  RemoteOptions options;
  try {
    options = readRemoteOptions(commandLine, velmo::port::environmentPortSetting());
  } catch (const OptionError& error) {
    std::cerr << "velmo-remote: " << error.what() << '\n';
    return velmo::kUsageErrorStatus;
  }
  try {
    holdTerminationSignals();
    QCoreApplication app(argc, argv);
    quitOnTerminationSignals();
    RemoteApp remote(options, QDBusConnection::sessionBus());
    std::cout << remote.notice(isatty(STDOUT_FILENO) == 1) << std::flush;
    return app.exec();
  } catch (const std::exception& error) {
    std::cerr << "velmo-remote: " << error.what() << '\n';
    return 1;
  }
}
