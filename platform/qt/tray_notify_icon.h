#pragma once

#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/shell_notify_icon.h"

class QWidget;

namespace velmo::qt {

// The window messages that one activation of a tray icon stands for: a
// single click is a left press and release (513, 514), a double-click 515,
// the context action a right press and release (516, 517), a middle click
// 519, 520.
std::vector<std::uint32_t> trayMessagesFor(QSystemTrayIcon::ActivationReason reason);

// Reports mouse activity over an icon to its window the way the shell does:
// a callback message of WM_MOUSEMOVE arrives as a mouse-move event at x =
// report, y = 0. Other callback messages are not delivered. The window needs
// mouse tracking on to see the event.
void deliverTrayReport(QWidget* window, std::uint32_t callbackMessage, std::uint32_t report);

// Shell_NotifyIcon on QSystemTrayIcon. Icons and windows are named by the
// handles of tray_handles.h. Pointer movement over an icon is not reported:
// QSystemTrayIcon does not tell it.
class QtShellNotifyIcon final : public ShellNotifyIcon {
 public:
  // trayAvailable says whether there is a notification area to add to.
  explicit QtShellNotifyIcon(
      std::function<bool()> trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable);
  ~QtShellNotifyIcon() override;

  // NIM_ADD and NIM_DELETE; any other message fails.
  bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) override;

  // The icon shown for a window handle and identifier, or nullptr.
  QSystemTrayIcon* icon(std::uint32_t hWnd, std::uint32_t uID) const;

 private:
  bool add(const NotifyIconData& data);
  bool remove(const NotifyIconData& data);

  std::function<bool()> trayAvailable_;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<QSystemTrayIcon>> icons_;
};

}  // namespace velmo::qt
