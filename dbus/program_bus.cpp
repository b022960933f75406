// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/program_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include "system/standard_error.h"

namespace velmo::dbus {
namespace {

QString text(std::string_view view) {
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

void say(const QString& line) {
  tellOnStandardError(line.toStdString());
}

// Asks the instance that owns name to run action, or to bring its window
// back when action is empty.
void activateRunningInstance(QDBusConnection& bus, const QString& name, const BusAddress& program,
                             const QString& action) {
  QDBusMessage activate =
      QDBusMessage::createMethodCall(name, text(program.path), "org.freedesktop.Application",
                                     action.isEmpty() ? "Activate" : "ActivateAction");
  if (!action.isEmpty()) activate << action << QVariant::fromValue(QVariantList());
  activate << QVariantMap();
  activate.setAutoStartService(false);
  bus.call(activate, QDBus::Block, 5000);
}

}  // namespace

bool serveOnSessionBus(BusObject& object, const BusAddress& program, const std::string& target,
                       const QString& action) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    say("remote control is off: no session bus (" + bus.lastError().message() + ")");
    return true;
  }
  const QString name = QString::fromStdString(busName(program, target));
  object.registerOn(bus);
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) return true;
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
    activateRunningInstance(bus, name, program, action);
    say("already running as " + name + " on the session bus: " +
        (action.isEmpty() ? "brought it to the front" : "passed " + action + " on to it"));
    return false;
  }
  say("remote control is off: the session bus refused the name " + name + " (" +
      reply.error().message() + ")");
  return true;
}

}  // namespace velmo::dbus
