#include "switchpanel/panel_tray.h"

#include <cmath>

namespace velmo {

double roundHalfToEven(float x) {
  // nearbyint rounds in the current mode, which is to nearest, halves to even.
  return std::nearbyint(static_cast<double>(x));
}

void PanelTray::fillTrayIconData() {
  data_.cbSize = NotifyIconData::kVersion1Size;
  data_.hIcon = window_.hIcon();
  data_.hWnd = window_.hWnd();
  data_.szTip = tipField(kTip);
  data_.uCallbackMessage = WM_MOUSEMOVE;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uID = kIconId;
}

void PanelTray::Form_Resize() {
  if (window_.windowState() != PanelWindow::State::Minimized || iconShown_) return;
  iconShown_ = shell_.Shell_NotifyIcon(NIM_ADD, data_);
  if (iconShown_) window_.hideWindow();
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

}  // namespace velmo
