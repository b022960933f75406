// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchpanel/qt_notification_area.h"

#include <QMenu>
#include <utility>

#include "qt/fatal_error.h"

namespace velmo::switchpanel {

QtNotificationArea::QtNotificationArea(std::function<bool()> available,
                                       std::function<qt::TrayHost()> host)
    : available_(std::move(available)), host_(std::move(host)) {}

QtNotificationArea::~QtNotificationArea() = default;

bool QtNotificationArea::showIcon(const TrayIcon& icon, std::function<void()> restoreRequested) {
  removeIcon();
  if (!available_()) return false;

  tray_ = std::make_unique<QSystemTrayIcon>(picture_);
  tray_->setToolTip(QString::fromStdString(icon.tip));
  auto restore = [request = std::move(restoreRequested)] { qt::runGuarded(request); };
  const QSystemTrayIcon::ActivationReason restoring = host_() == qt::TrayHost::StatusNotifier
                                                          ? QSystemTrayIcon::Trigger
                                                          : QSystemTrayIcon::DoubleClick;
  QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                   [restore, restoring](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == restoring) restore();
                   });
  menu_ = std::make_unique<QMenu>();
  QAction* entry = menu_->addAction(QString::fromStdString(icon.restoreEntry));
  QObject::connect(entry, &QAction::triggered, tray_.get(), restore);
  tray_->setContextMenu(menu_.get());
  tray_->show();
  return true;
}

void QtNotificationArea::removeIcon() {
  if (!tray_) return;
  // The removal may come from the icon's own signals (the restore request),
  // so icon and menu are deleted once those return.
  tray_->hide();
  tray_.release()->deleteLater();
  menu_.release()->deleteLater();
}

}  // namespace velmo::switchpanel
