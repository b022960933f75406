// SPDX-License-Identifier: GPL-3.0-or-later
#include <QWidget>
#include <memory>

#include "dbus/program_bus.h"
#include "dbus/programs.h"
#include "port_client/port.h"
#include "qt/close_on_signals.h"
#include "qt/port_notice_relay.h"
#include "qt/program_life.h"
#include "switchpanel/form1.h"
#include "switchpanel/panel_bus.h"
#include "switchpanel/qt_notification_area.h"
#include "switchpanel/switch_panel.h"
#include "switchpanel/usage.h"
#include "system/paths.h"

int main(int argc, char* argv[]) {
  using namespace velmo;
  const qt::ProgramStart start(argc, argv, switchpanel::kUsage, dbus::kSwitchPanel.service);
  if (start.exitStatus()) return *start.exitStatus();

  switchpanel::QtNotificationArea notificationArea;
  std::unique_ptr<LibraryPort> port;
  std::unique_ptr<qt::PortNoticeRelay> notices;
  std::unique_ptr<switchpanel::SwitchPanel> panel;
  std::unique_ptr<switchpanel::Form1> window;
  std::unique_ptr<switchpanel::PanelBus> bus;
  const auto firstShow = start.commandLine().has(switchpanel::kMinimizedOption.name)
                             ? qt::FirstShow::kMinimized
                             : qt::FirstShow::kNormal;
  return qt::runMainWindow(
      [&]() -> QWidget* {
        port = std::make_unique<LibraryPort>();
        notices = std::make_unique<qt::PortNoticeRelay>(*port);
        panel = std::make_unique<switchpanel::SwitchPanel>(*port, programFolder());
        window = std::make_unique<switchpanel::Form1>(*panel, notificationArea);
        bus = std::make_unique<switchpanel::PanelBus>(*panel);
        if (!dbus::serveOnSessionBus(bus->object(), dbus::kSwitchPanel, port->target())) {
          return nullptr;
        }
        notificationArea.setPicture(window->windowIcon());
        qt::closeOnTerminationSignals(*window);
        panel->Form_Load();
        return window.get();
      },
      firstShow);
}
