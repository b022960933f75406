// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/panel_tray.h"

namespace velmo::switchpanel {

void PanelTray::Form_Resize() {
  if (window_.windowState() != PanelWindow::State::Minimized || iconShown_) return;
  iconShown_ = area_.showIcon(icon_, [this] { RestoreFromTray(); });
  if (iconShown_) window_.hideWindow();
}

void PanelTray::RestoreFromTray() {
  window_.setWindowState(PanelWindow::State::Normal);
  removeIcon();
  window_.showWindow();
}

void PanelTray::Form_Unload() {
  removeIcon();
}

void PanelTray::removeIcon() {
  area_.removeIcon();
  iconShown_ = false;
}

}  // namespace velmo::switchpanel
