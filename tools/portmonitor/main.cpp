// portmonitor: shows the eight lines of the simulated port register live, in
// a window or (--watch) as one terminal line per change. It follows the
// register that VELMO_PORT selects; for hw:NAME, the register that mirrors
// the real port.
#include <QApplication>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

#include "platform/port/port_setting.h"
#include "platform/port/register_watcher.h"
#include "platform/qt/fatal_error.h"
#include "tools/portmonitor/monitor_window.h"
#include "tools/portmonitor/watch_mode.h"

namespace {

constexpr const char* kUsage =
    "Usage: portmonitor [--watch]\n"
    "Shows the eight data lines of the port register that VELMO_PORT selects.\n"
    "  --watch   print one line per change in the terminal instead of a window\n";

std::unique_ptr<velmo::port::RegisterWatcher> watchSelectedRegister() {
  using namespace velmo::port;
  const PortSetting setting = parsePortSetting(PortEnvironment::current());
  return std::make_unique<velmo::port::RegisterWatcher>(setting.registerPath,
                                                        setting.privateFolder);
}

int watchInTerminal() {
  try {
    const auto watcher = watchSelectedRegister();
    return velmo::monitor::runWatchMode(*watcher, std::cout, std::cerr);
  } catch (const std::exception& error) {
    std::cerr << "portmonitor: " << error.what() << '\n';
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--watch") == 0) return watchInTerminal();
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  if (argc > 1) {
    std::cerr << "portmonitor: unknown option " << argv[1] << '\n' << kUsage;
    return 2;
  }
  std::unique_ptr<velmo::port::RegisterWatcher> watcher;
  if (!velmo::qt::runGuarded([&] { watcher = watchSelectedRegister(); })) return 1;
  velmo::monitor::MonitorWindow window(*watcher);
  window.show();
  return app.exec();
}
