// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_on_bus.h"

#include <QDBusConnectionInterface>

#include "dbus/bus_client.h"
#include "system/standard_error.h"

namespace velmo::remote {

RemoteOnBus::RemoteOnBus(QString pageAddress, QObject* parent)
    : QObject(parent), pageAddress_(std::move(pageAddress)) {
  new dbus::RemoteAdaptor(this);
}

void RemoteOnBus::serveOn(QDBusConnection bus, const std::string& target) {
  const dbus::ProgramIdentity& remote = dbus::kRemote;
  const QString name = QString::fromStdString(dbus::busName(remote, target));
  bus.registerObject(QString::fromUtf8(remote.path.data(), qsizetype(remote.path.size())), this);
  const auto reply =
      bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) return;
  tellOnStandardError("another remote has the bus name " + name.toStdString() +
                      ": velmo remote url finds that one, not this");
}

}  // namespace velmo::remote
