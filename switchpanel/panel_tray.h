// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "switchpanel/notification_area.h"
#include "switchpanel/panel_window.h"

namespace velmo::switchpanel {

// The panel's notification-area icon: minimising hides the window behind an
// icon, the icon's restore request brings it back, closing removes it. The
// port lines are never touched here.
class PanelTray final {
 public:
  static constexpr const char* kTip = "Velmo 1.0 by the Velmo team";
  static constexpr const char* kRestoreEntry = "Gjenopprett";

  PanelTray(PanelWindow& window, NotificationArea& area) : window_(window), area_(area) {}
  PanelTray(const PanelTray&) = delete;  // the restore request refers to this object
  PanelTray& operator=(const PanelTray&) = delete;

  // Fills what the icon shows (tip, menu entry), before the window is first
  // shown.
  void fillTrayIcon() { icon_ = {kTip, kRestoreEntry}; }

  // After every change of the window's size or state. Minimised with no icon
  // shown: shows the icon, whose restore request runs RestoreFromTray, and
  // hides the window. Without a notification area the window stays minimised
  // on the taskbar, so it can still be got back.
  void Form_Resize();

  // Sets the window normal, removes the icon, shows the window.
  void RestoreFromTray();

  // Removes the icon as the window closes.
  void Form_Unload();

 private:
  void removeIcon();

  PanelWindow& window_;
  NotificationArea& area_;
  TrayIcon icon_;
  bool iconShown_ = false;
};

}  // namespace velmo::switchpanel
