#include <QApplication>
#include <memory>

#include "chaser/chaser.h"
#include "chaser/chaser_bus.h"
#include "chaser/form1.h"
#include "chaser/usage.h"
#include "dbus/program_bus.h"
#include "ini/settings.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/program_life.h"
#include "qt/realtime_timer_driver.h"

int main(int argc, char* argv[]) {
  using namespace velmo;
  const CommandLineOutcome commandLine = handleCommandLine(argc, argv, chaser::kUsage);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  qt::chooseHeadless(commandLine.has(qt::kHeadlessOption.name), "chaser");
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QString::fromUtf8(dbus::kChaserBus.service.data()));

  // Declared in the order they are made, so they go in the reverse order:
  // the chaser's timers leave the scheduler before the driver that owns it.
  std::unique_ptr<qt::RealTimeTimerDriver> timers;
  std::unique_ptr<LibraryPort> port;
  std::unique_ptr<chaser::Chaser> chaser;
  std::unique_ptr<chaser::Form1> window;
  std::unique_ptr<chaser::ChaserBus> bus;
  return qt::runMainWindow([&]() -> QWidget* {
    timers = std::make_unique<qt::RealTimeTimerDriver>();
    port = std::make_unique<LibraryPort>();
    chaser = std::make_unique<chaser::Chaser>(timers->scheduler(), *port, programFolder());
    window = std::make_unique<chaser::Form1>(*chaser);
    bus = std::make_unique<chaser::ChaserBus>(*chaser, *window);
    if (!dbus::serveOnSessionBus(bus->object(), dbus::kChaserBus, port->target(), "chaser")) {
      return nullptr;
    }
    qt::closeOnTerminationSignals(*window);
    chaser->Form_Load();
    if (const auto pattern = commandLine.value(chaser::kPatternOption.name)) {
      (*chaser.*chaser::Chaser::kClickOfPattern.at(*pattern->data() - '0'))();
    }
    return window.get();
  });
}
