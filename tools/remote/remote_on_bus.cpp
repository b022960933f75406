// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_on_bus.h"

#include <QDBusConnectionInterface>

#include "dbus/bus_names.h"
#include "system/standard_error.h"

namespace velmo::remote {

void RemoteOnBus::serveOn(QDBusConnection bus, const std::string& target) {
  const auto& address = dbus::kRemoteBus;
  const QString name = QString::fromStdString(dbus::busName(address, target));
  bus.registerObject(QString::fromUtf8(address.path.data(), qsizetype(address.path.size())), this,
                     QDBusConnection::ExportAllProperties);
  const auto reply =
      bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) return;
  tellOnStandardError("another remote has the bus name " + name.toStdString() +
                      ": velmo remote url finds that one, not this");
}

}  // namespace velmo::remote
