#include <QApplication>
#include <memory>

#include "chaser/chaser.h"
#include "chaser/form1.h"
#include "chaser/usage.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/fatal_error.h"
#include "qt/realtime_timer_driver.h"
#include "system/paths.h"

int main(int argc, char* argv[]) {
  if (auto status = velmo::handleCommandLine(argc, argv, velmo::chaser::kUsage).exitStatus)
    return *status;
  QApplication application(argc, argv);

  // Declared in the order they are made, so they go in the reverse order:
  // the chaser's timers leave the scheduler before the driver that owns it.
  std::unique_ptr<velmo::qt::RealTimeTimerDriver> timers;
  std::unique_ptr<velmo::LibraryPort> port;
  std::unique_ptr<velmo::chaser::Chaser> chaser;
  std::unique_ptr<velmo::chaser::Form1> window;
  return velmo::qt::runMainWindow([&]() -> QWidget& {
    timers = std::make_unique<velmo::qt::RealTimeTimerDriver>();
    port = std::make_unique<velmo::LibraryPort>();
    chaser =
        std::make_unique<velmo::chaser::Chaser>(timers->scheduler(), *port, velmo::programFolder());
    window = std::make_unique<velmo::chaser::Form1>(*chaser);
    velmo::qt::closeOnTerminationSignals(*window);
    chaser->Form_Load();
    return *window;
  });
}
