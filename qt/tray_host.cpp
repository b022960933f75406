// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/tray_host.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace velmo::qt {
namespace {

bool statusNotifierHostRegistered() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage get =
      QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                     "org.freedesktop.DBus.Properties", "Get");
  get << QString("org.kde.StatusNotifierWatcher") << QString("IsStatusNotifierHostRegistered");
  // Like Qt, ask only a watcher that is running; never have the bus start one.
  get.setAutoStartService(false);
  const QDBusMessage reply = bus.call(get);
  return reply.type() == QDBusMessage::ReplyMessage &&
         qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toBool();
}

}  // namespace

TrayHost currentTrayHost() {
  static const TrayHost host =
      statusNotifierHostRegistered() ? TrayHost::StatusNotifier : TrayHost::XEmbed;
  return host;
}

}  // namespace velmo::qt
