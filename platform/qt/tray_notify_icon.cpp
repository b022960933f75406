#include "platform/qt/tray_notify_icon.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include "platform/qt/tray_handles.h"

namespace velmo::qt {

std::vector<std::uint32_t> trayMessagesFor(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
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

void deliverTrayReport(QWidget* window, std::uint32_t callbackMessage, std::uint32_t report) {
  if (window == nullptr || callbackMessage != WM_MOUSEMOVE) return;
  const QPointF local(report, 0);
  QMouseEvent move(QEvent::MouseMove, local, window->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(window, &move);
}

QtShellNotifyIcon::QtShellNotifyIcon(std::function<bool()> trayAvailable)
    : trayAvailable_(std::move(trayAvailable)) {}

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

QSystemTrayIcon* QtShellNotifyIcon::icon(std::uint32_t hWnd, std::uint32_t uID) const {
  auto found = icons_.find({hWnd, uID});
  return found == icons_.end() ? nullptr : found->second.get();
}

bool QtShellNotifyIcon::add(const NotifyIconData& data) {
  if (icon(data.hWnd, data.uID) != nullptr || !trayAvailable_()) return false;

  auto tray = std::make_unique<QSystemTrayIcon>();
  if (data.uFlags & NIF_ICON) tray->setIcon(iconOfHandle(data.hIcon));
  if (data.uFlags & NIF_TIP) tray->setToolTip(QString::fromStdString(tipText(data)));
  if (data.uFlags & NIF_MESSAGE) {
    QPointer<QWidget> window = windowOfHandle(data.hWnd);
    const std::uint32_t callback = data.uCallbackMessage;
    QObject::connect(tray.get(), &QSystemTrayIcon::activated, tray.get(),
                     [window, callback](QSystemTrayIcon::ActivationReason reason) {
                       for (std::uint32_t report : trayMessagesFor(reason)) {
                         deliverTrayReport(window, callback, report);
                       }
                     });
  }
  tray->show();
  icons_.emplace(std::make_pair(data.hWnd, data.uID), std::move(tray));
  return true;
}

bool QtShellNotifyIcon::remove(const NotifyIconData& data) {
  auto found = icons_.find({data.hWnd, data.uID});
  if (found == icons_.end()) return false;
  // The removal may come from the icon's own activated signal (a
  // double-click restores the window), so it is deleted once that returns.
  QSystemTrayIcon* tray = found->second.release();
  icons_.erase(found);
  tray->hide();
  tray->deleteLater();
  return true;
}

}  // namespace velmo::qt
