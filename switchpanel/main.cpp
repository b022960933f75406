#include <QApplication>
#include <memory>

#include "ini/settings.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/fatal_error.h"
#include "qt/program_life.h"
#include "qt/tray_notify_icon.h"
#include "switchpanel/form1.h"
#include "switchpanel/switch_panel.h"
#include "switchpanel/usage.h"

int main(int argc, char* argv[]) {
  if (auto status = velmo::handleCommandLine(argc, argv, velmo::switchpanel::kUsage).exitStatus)
    return *status;
  QApplication application(argc, argv);

  velmo::qt::QtShellNotifyIcon shell;
  std::unique_ptr<velmo::LibraryPort> port;
  std::unique_ptr<velmo::switchpanel::SwitchPanel> panel;
  std::unique_ptr<velmo::switchpanel::Form1> window;
  return velmo::qt::runMainWindow([&]() -> QWidget* {
    port = std::make_unique<velmo::LibraryPort>();
    panel = std::make_unique<velmo::switchpanel::SwitchPanel>(*port, velmo::programFolder());
    window = std::make_unique<velmo::switchpanel::Form1>(*panel, shell);
    shell.setIcon(window->windowIcon());
    velmo::qt::closeOnTerminationSignals(*window);
    panel->Form_Load();
    return window.get();
  });
}
