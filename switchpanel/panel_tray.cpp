#include "switchpanel/panel_tray.h"

#include <cmath>

namespace velmo::switchpanel {

double roundHalfToEven(float x) {
  // nearbyint rounds in the current mode, which is to nearest, halves to even.
  return std::nearbyint(static_cast<double>(x));
}

void PanelTray::fillTrayIconData() {
  data_.hWnd = this;
  data_.szTip = kTip;
  data_.menuEntry = kRestoreEntry;
  data_.uCallbackMessage = WM_MOUSEMOVE;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uID = kIconId;
}

void PanelTray::Form_Resize() {
  if (window_.windowState() != PanelWindow::State::Minimized || iconShown_) return;
  iconShown_ = shell_.Shell_NotifyIcon(NIM_ADD, data_);
  if (iconShown_) window_.hideWindow();
}

void PanelTray::notifyIconReport(std::uint32_t message, std::uint32_t report) {
  // The callback message is the mouse-move message, so the reports take the
  // mouse-move handler's path.
  if (message == WM_MOUSEMOVE) Form_MouseMove(0, 0, static_cast<float>(report), 0);
}

void PanelTray::Form_MouseMove(int, int, float x, float) {
  if (roundHalfToEven(x) == WM_LBUTTONDBLCLK) RestoreFromTray();
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
  shell_.Shell_NotifyIcon(NIM_DELETE, data_);
  iconShown_ = false;
}

}  // namespace velmo::switchpanel
