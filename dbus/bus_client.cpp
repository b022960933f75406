// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_client.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMetaProperty>

namespace velmo::dbus {

CallFailure failureOf(const QDBusError& error) {
  const QString name = error.name();
  if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
      name == "org.freedesktop.DBus.Error.NameHasNoOwner") {
    return CallFailure::kNotRunning;
  }
  if (name == QString::fromUtf8(kInvalidArgumentError.data(),
                                static_cast<qsizetype>(kInvalidArgumentError.size()))) {
    return CallFailure::kInvalidArgument;
  }
  if (name == "org.freedesktop.DBus.Error.NoReply" ||
      name == "org.freedesktop.DBus.Error.Timeout") {
    return CallFailure::kNoAnswer;
  }
  return CallFailure::kOther;
}

QDBusPendingReply<QVariantMap> readProperties(const QDBusAbstractInterface& proxy,
                                              Activation activation) {
  QDBusMessage getAll = QDBusMessage::createMethodCall(proxy.service(), proxy.path(),
                                                       "org.freedesktop.DBus.Properties", "GetAll");
  getAll << proxy.interface();
  getAll.setAutoStartService(activation == Activation::kWhereInstalled);
  return proxy.connection().asyncCall(getAll, proxy.timeout());
}

void KnownProperties::take(const QVariantMap& told) {
  for (auto each = told.begin(); each != told.end(); ++each) {
    values_.setProperty(each.key().toUtf8().constData(), each.value());
  }
}

void KnownProperties::settle(const QMetaObject& adaptor) const {
  for (int index = adaptor.propertyOffset(); index < adaptor.propertyCount(); ++index) {
    const QMetaProperty property = adaptor.property(index);
    const QVariant told = values_.property(property.name());
    if (told.metaType() != QMetaType::fromType<QDBusArgument>()) continue;
    QVariant typed(property.metaType());
    if (QDBusMetaType::demarshall(qvariant_cast<QDBusArgument>(told), property.metaType(),
                                  typed.data()))
      values_.setProperty(property.name(), typed);
  }
}

}  // namespace velmo::dbus
