#include <QApplication>
#include <memory>

#include "platform/qt/close_on_signals.h"
#include "platform/qt/fatal_error.h"
#include "platform/qt/tray_notify_icon.h"
#include "shared/port.h"
#include "shared/settings.h"
#include "switchpanel/form1.h"
#include "switchpanel/switch_panel.h"
#include "switchpanel/usage.h"

int main(int argc, char* argv[]) {
  if (auto status = velmo::handleCommandLine(argc, argv, velmo::kSwitchPanelUsage).exitStatus)
    return *status;
  QApplication application(argc, argv);

  velmo::qt::QtShellNotifyIcon shell;
  std::unique_ptr<velmo::LibraryPort> port;
  std::unique_ptr<velmo::SwitchPanel> panel;
  std::unique_ptr<velmo::qt::Form1> window;
  return velmo::qt::runMainWindow([&]() -> QWidget& {
    port = std::make_unique<velmo::LibraryPort>();
    panel = std::make_unique<velmo::SwitchPanel>(*port, velmo::programFolder());
    window = std::make_unique<velmo::qt::Form1>(*panel, shell);
    shell.setIcon(window->windowIcon());
    velmo::qt::closeOnTerminationSignals(*window);
    panel->Form_Load();
    return *window;
  });
}
