// SPDX-License-Identifier: GPL-3.0-or-later
// portmonitor: shows the eight lines of the simulated port register live, in
// a window or (--watch) as one terminal line per change. It follows the
// register that VELMO_PORT selects; for hw:NAME, the register that mirrors
// the real port.
#include <QApplication>
#include <exception>
#include <iostream>
#include <memory>

#include "port/port_view.h"
#include "qt/fatal_error.h"
#include "qt/program_life.h"
#include "tools/portmonitor/monitor_window.h"
#include "tools/portmonitor/usage.h"
#include "tools/portmonitor/watch_mode.h"

namespace {

std::unique_ptr<velmo::port::RegisterWatcher> watchSelectedRegister() {
  using namespace velmo::port;
  return watchRegister(viewPort(environmentPortSetting()));
}

int watchInTerminal() {
  try {
    const auto watcher = watchSelectedRegister();
    return velmo::portmonitor::runWatchMode(*watcher, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "portmonitor: " << error.what() << '\n';
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const auto commandLine = velmo::handleCommandLine(argc, argv, velmo::portmonitor::kUsage);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  if (commandLine.has(velmo::portmonitor::kWatchOption.name)) return watchInTerminal();
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName("org.velmo.PortMonitor");
  std::unique_ptr<velmo::port::RegisterWatcher> watcher;
  std::unique_ptr<velmo::portmonitor::MonitorWindow> window;
  return velmo::qt::runMainWindow([&]() -> QWidget* {
    watcher = watchSelectedRegister();
    window = std::make_unique<velmo::portmonitor::MonitorWindow>(*watcher);
    return window.get();
  });
}
