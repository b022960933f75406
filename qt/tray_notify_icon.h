#pragma once

#include <QIcon>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "qt/tray_host.h"
#include "system/shell_notify_icon.h"

class QMenu;

namespace velmo::qt {

// The window messages that one activation of a tray icon stands for. On an
// XEmbed tray a single click is a left press and release (513, 514), a
// double-click 515, the context action a right press and release (516, 517),
// a middle click 519, 520. A StatusNotifierItem host never reports a
// double-click: there its Activate (Trigger) stands for the double-click,
// 515, and ContextMenu and SecondaryActivate are the right and middle clicks.
std::vector<std::uint32_t> trayMessagesFor(QSystemTrayIcon::ActivationReason reason, TrayHost host);

// Shell_NotifyIcon on QSystemTrayIcon. Reports go straight to the record's
// window (NotifyIconWindow); pointer movement over an icon is not reported,
// as QSystemTrayIcon does not tell it. Main thread only.
class QtShellNotifyIcon final : public ShellNotifyIcon {
 public:
  // trayAvailable says whether there is a notification area to add to, host
  // which kind it is; both are asked at every add.
  explicit QtShellNotifyIcon(
      std::function<bool()> trayAvailable = &QSystemTrayIcon::isSystemTrayAvailable,
      std::function<TrayHost()> host = &currentTrayHost);
  ~QtShellNotifyIcon() override;

  // The picture of the icons added from now on (NIF_ICON).
  void setIcon(const QIcon& icon) { icon_ = icon; }

  // NIM_ADD and NIM_DELETE; any other message fails.
  bool Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) override;

  // The icon shown for a window and identifier, or nullptr.
  QSystemTrayIcon* icon(const NotifyIconWindow* hWnd, std::uint32_t uID) const;

 private:
  // An icon and its menu; the icon, which refers to the menu, goes first.
  struct Shown {
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QSystemTrayIcon> tray;
  };

  bool add(const NotifyIconData& data);
  bool remove(const NotifyIconData& data);

  std::function<bool()> trayAvailable_;
  std::function<TrayHost()> host_;
  QIcon icon_;
  std::map<std::pair<const NotifyIconWindow*, std::uint32_t>, Shown> icons_;
};

}  // namespace velmo::qt
