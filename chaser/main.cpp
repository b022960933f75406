// SPDX-License-Identifier: GPL-3.0-or-later
#include <QWidget>
#include <memory>

#include "chaser/chaser.h"
#include "chaser/chaser_bus.h"
#include "chaser/form1.h"
#include "chaser/usage.h"
#include "dbus/program_bus.h"
#include "dbus/programs.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/port_notice_relay.h"
#include "qt/program_life.h"
#include "qt/realtime_timer_driver.h"
#include "system/paths.h"

int main(int argc, char* argv[]) {
  using namespace velmo;
  const qt::ProgramStart start(argc, argv, chaser::kUsage, dbus::kChaser.service);
  if (start.exitStatus()) return *start.exitStatus();

  // Declared in the order they are made, so they go in the reverse order:
  // the chaser's timers leave the scheduler before the driver that owns it.
  std::unique_ptr<qt::RealTimeTimerDriver> timers;
  std::unique_ptr<LibraryPort> port;
  std::unique_ptr<qt::PortNoticeRelay> notices;
  std::unique_ptr<chaser::Chaser> chaser;
  std::unique_ptr<chaser::Form1> window;
  std::unique_ptr<chaser::ChaserBus> bus;
  return qt::runMainWindow([&]() -> QWidget* {
    timers = std::make_unique<qt::RealTimeTimerDriver>();
    port = std::make_unique<LibraryPort>();
    notices = std::make_unique<qt::PortNoticeRelay>(*port);
    chaser = std::make_unique<chaser::Chaser>(timers->scheduler(), *port, programFolder());
    window = std::make_unique<chaser::Form1>(*chaser);
    bus = std::make_unique<chaser::ChaserBus>(*chaser, *window);
    // A chaser that runs already starts the pattern asked for, as its action.
    const auto option = start.commandLine().value(chaser::kPatternOption.name);
    const int pattern = option ? *option->data() - '0' : 0;
    const QString action = pattern ? chaser::patternAction(pattern) : "";
    if (!dbus::serveOnSessionBus(bus->object(), dbus::kChaser, port->target(), action)) {
      return nullptr;
    }
    qt::closeOnTerminationSignals(*window);
    chaser->Form_Load();
    if (pattern) (*chaser.*chaser::Chaser::kClickOfPattern.at(pattern))();
    return window.get();
  });
}
