// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/program_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QString>

#include "dbus/bus_client.h"
#include "system/standard_error.h"

namespace velmo::dbus {
namespace {

// How long the instance that runs has to take the request on.
constexpr int kActivateTimeoutMs = 5000;

void say(const QString& line) {
  tellOnStandardError(line.toStdString());
}

// Asks the instance that runs for the target to bring its window back.
void activateRunningInstance(const QDBusConnection& bus, const ProgramIdentity& program,
                             const std::string& target) {
  QDBusPendingReply<> reply =
      reach<ApplicationProxy>(program, target, bus, kActivateTimeoutMs)->Activate({});
  reply.waitForFinished();
}

}  // namespace

bool serveOnSessionBus(BusObject& object, const ProgramIdentity& program,
                       const std::string& target) {
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
    activateRunningInstance(bus, program, target);
    say("already running as " + name + " on the session bus: brought it to the front");
    return false;
  }
  say("remote control is off: the session bus refused the name " + name + " (" +
      reply.error().message() + ")");
  return true;
}

}  // namespace velmo::dbus
