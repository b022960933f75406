// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "qt/tray_host.h"
#include "switchpanel/notification_area.h"

class QMenu;

namespace velmo::switchpanel {

// The notification area through QSystemTrayIcon. The activation that asks
// for the window back depends on the kind of area: a double-click on an
// XEmbed tray (where a single click does nothing), Activate (Trigger) on a
// StatusNotifierItem host, which never reports a double-click; the menu entry
// asks on both. Middle clicks and context requests ask nothing. Restore
// requests run through qt::runGuarded. Main thread only.
class QtNotificationArea final : public NotificationArea {
 public:
  // available says whether the desktop has a notification area, host which
  // kind it is; both are asked at every showIcon.
  explicit QtNotificationArea(
      std::function<bool()> available = &QSystemTrayIcon::isSystemTrayAvailable,
      std::function<qt::TrayHost()> host = &qt::currentTrayHost);
  ~QtNotificationArea() override;

  // The picture of the icons shown from now on.
  void setPicture(const QIcon& picture) { picture_ = picture; }

  bool showIcon(const TrayIcon& icon, std::function<void()> restoreRequested) override;
  void removeIcon() override;

  // The icon shown, or nullptr.
  QSystemTrayIcon* shownIcon() const { return tray_.get(); }

 private:
  std::function<bool()> available_;
  std::function<qt::TrayHost()> host_;
  QIcon picture_;
  // The icon refers to its menu, so it goes first.
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace velmo::switchpanel
