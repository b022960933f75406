#include "qt/tray_notify_icon.h"

#include <QMenu>

#include "qt/fatal_error.h"

namespace velmo::qt {

std::vector<std::uint32_t> trayMessagesFor(QSystemTrayIcon::ActivationReason reason,
                                           TrayHost host) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (host == TrayHost::StatusNotifier) return {WM_LBUTTONDBLCLK};
      return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    case QSystemTrayIcon::DoubleClick:
      return {WM_LBUTTONDBLCLK};
    case QSystemTrayIcon::Context:
      return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case QSystemTrayIcon::MiddleClick:
      return {WM_MBUTTONDOWN, WM_MBUTTONUP};
    case QSystemTrayIcon::Unknown:
      break;
  }
  return {};
}

QtShellNotifyIcon::QtShellNotifyIcon(std::function<bool()> trayAvailable,
                                     std::function<TrayHost()> host)
    : trayAvailable_(std::move(trayAvailable)), host_(std::move(host)) {}

QtShellNotifyIcon::~QtShellNotifyIcon() = default;

bool QtShellNotifyIcon::Shell_NotifyIcon(std::uint32_t message, const NotifyIconData& data) {
  switch (message) {
    case NIM_ADD:
      return add(data);
    case NIM_DELETE:
      return remove(data);
    default:
      return false;
  }
}

QSystemTrayIcon* QtShellNotifyIcon::icon(const NotifyIconWindow* hWnd, std::uint32_t uID) const {
  auto found = icons_.find({hWnd, uID});
  return found == icons_.end() ? nullptr : found->second.tray.get();
}

bool QtShellNotifyIcon::add(const NotifyIconData& data) {
  if (icon(data.hWnd, data.uID) != nullptr || !trayAvailable_()) return false;

  Shown shown{nullptr, std::make_unique<QSystemTrayIcon>()};
  QSystemTrayIcon* tray = shown.tray.get();
  if (data.uFlags & NIF_ICON) tray->setIcon(icon_);
  if (data.uFlags & NIF_TIP) tray->setToolTip(QString::fromStdString(data.szTip));
  if ((data.uFlags & NIF_MESSAGE) && data.hWnd != nullptr) {
    // Reports are event handlers: none runs once a fatal error is reported.
    auto report = [window = data.hWnd, callback = data.uCallbackMessage](std::uint32_t message) {
      runGuarded([&] { window->notifyIconReport(callback, message); });
    };
    QObject::connect(tray, &QSystemTrayIcon::activated, tray,
                     [report, host = host_()](QSystemTrayIcon::ActivationReason reason) {
                       for (std::uint32_t message : trayMessagesFor(reason, host)) report(message);
                     });
    if (!data.menuEntry.empty()) {
      shown.menu = std::make_unique<QMenu>();
      QAction* entry = shown.menu->addAction(QString::fromStdString(data.menuEntry));
      QObject::connect(entry, &QAction::triggered, tray, [report] { report(WM_LBUTTONDBLCLK); });
      tray->setContextMenu(shown.menu.get());
    }
  }
  tray->show();
  icons_.emplace(std::make_pair(data.hWnd, data.uID), std::move(shown));
  return true;
}

bool QtShellNotifyIcon::remove(const NotifyIconData& data) {
  auto found = icons_.find({data.hWnd, data.uID});
  if (found == icons_.end()) return false;
  // The removal may come from the icon's own signals (a double-click or its
  // menu entry restores the window), so both are deleted once they return.
  QSystemTrayIcon* tray = found->second.tray.release();
  QMenu* menu = found->second.menu.release();
  icons_.erase(found);
  tray->hide();
  tray->deleteLater();
  if (menu != nullptr) menu->deleteLater();
  return true;
}

}  // namespace velmo::qt
