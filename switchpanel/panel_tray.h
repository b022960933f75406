#pragma once

#include <cstdint>

#include "platform/shell_notify_icon.h"
#include "switchpanel/panel_window.h"

namespace velmo {

// The panel's notification-area icon: minimising hides the window behind an
// icon, a left double-click on the icon brings it back, closing removes it.
// The port lines are never touched here.
class PanelTray {
 public:
  static constexpr std::uint32_t kIconId = 1;
  static constexpr const char32_t* kTip = U"Velmo 1.0 by the Velmo team";

  PanelTray(PanelWindow& window, ShellNotifyIcon& shell) : window_(window), shell_(shell) {}

  // Fills TrayIconData, once, before the window is first shown: size, icon,
  // window, tip, callback message (mouse move), flags, identifier.
  void fillTrayIconData();
  const NotifyIconData& TrayIconData() const { return data_; }

  // After every change of the window's size or state. Minimised: adds the
  // icon and hides the window. If the icon cannot be added (no notification
  // area) the window stays minimised on the taskbar, so it can still be got
  // back. While the icon is shown a repeated call adds nothing.
  void Form_Resize();

  // A mouse move over the window, or an icon report whose x carries the
  // report's window message. x rounds to the nearest whole number, halves to
  // even; 515 (left double-click) runs RestoreFromTray. Other values, the
  // buttons, shift and y are ignored.
  void Form_MouseMove(int button, int shift, float x, float y);

  // Sets the window normal, removes the icon, shows the window.
  void RestoreFromTray();

  // Removes the icon as the window closes.
  void Form_Unload();

 private:
  void removeIcon();

  PanelWindow& window_;
  ShellNotifyIcon& shell_;
  NotifyIconData data_;
  bool iconShown_ = false;
};

// x rounded to the nearest whole number, a value exactly halfway to the even
// neighbour.
double roundHalfToEven(float x);

}  // namespace velmo
