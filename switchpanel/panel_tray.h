#pragma once

#include <cstdint>

#include "switchpanel/panel_window.h"
#include "system/shell_notify_icon.h"

namespace velmo::switchpanel {

// The panel's notification-area icon: minimising hides the window behind an
// icon, a left double-click on the icon (or its menu entry "Gjenopprett")
// brings it back, closing removes it. The icon's reports are the only way
// into the restore path. The port lines are never touched here.
class PanelTray final : public NotifyIconWindow {
 public:
  static constexpr std::uint32_t kIconId = 1;
  static constexpr const char* kTip = "Velmo 1.0 by the Velmo team";
  static constexpr const char* kRestoreEntry = "Gjenopprett";

  PanelTray(PanelWindow& window, ShellNotifyIcon& shell) : window_(window), shell_(shell) {}
  PanelTray(const PanelTray&) = delete;  // the record names this object
  PanelTray& operator=(const PanelTray&) = delete;

  // Fills TrayIconData, once, before the window is first shown: this object
  // as the window that receives the reports, tip, menu entry, callback
  // message (mouse move), flags, identifier.
  void fillTrayIconData();
  const NotifyIconData& TrayIconData() const { return data_; }

  // After every change of the window's size or state. Minimised: adds the
  // icon and hides the window. If the icon cannot be added (no notification
  // area) the window stays minimised on the taskbar, so it can still be got
  // back. While the icon is shown a repeated call adds nothing.
  void Form_Resize();

  // A report of the icon: with the callback message WM_MOUSEMOVE it goes to
  // Form_MouseMove with x = report; other messages are ignored.
  void notifyIconReport(std::uint32_t message, std::uint32_t report) override;

  // An icon report whose x carries the report's window message. x rounds to
  // the nearest whole number, halves to even; 515 (left double-click) runs
  // RestoreFromTray. Other values, the buttons, shift and y are ignored.
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

}  // namespace velmo::switchpanel
