// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/port_notice_relay.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QVariantMap>

#include "ini/text_encoding.h"
#include "system/standard_error.h"

namespace velmo::qt {
namespace {

constexpr const char* kNotifications = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
// How long the desktop shows a notification: as the desktop decides.
constexpr int kDesktopsChoice = -1;

}  // namespace

PortNoticeRelay::PortNoticeRelay(LibraryPort& port, QObject* parent)
    : QObject(parent), port_(port) {
  const auto descriptor = port_.noticeDescriptor();
  if (!descriptor || *descriptor < 0) return;
  notifier_ = new QSocketNotifier(*descriptor, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { relayWaiting(); });
}

void PortNoticeRelay::relayWaiting() {
  while (const auto notice = port_.nextNotice()) {
    const std::string text = withVisibleControls(*notice);
    const auto lineEnd = text.find('\n');
    const std::string headline = text.substr(0, lineEnd);
    const std::string details = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    tellOnStandardError(headline + ": " + details);
    notify(QString::fromStdString(headline), QString::fromStdString(details));
  }
}

void PortNoticeRelay::notify(const QString& headline, const QString& details) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kNotifications, "Notify");
  call.setAutoStartService(false);
  call << QCoreApplication::applicationName() << shownId_ << QString("velmo") << headline << details
       << QStringList() << QVariantMap{{"desktop-entry", QGuiApplication::desktopFileName()}}
       << kDesktopsChoice;
  auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    const QDBusPendingReply<unsigned> shown = *done;
    if (shown.isValid()) shownId_ = shown.value();
    done->deleteLater();
  });
}

}  // namespace velmo::qt
