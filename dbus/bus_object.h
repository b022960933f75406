// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "dbus/bus_names.h"

namespace velmo::dbus {

// An error reply: its D-Bus error name and a message that says what to do.
struct BusError {
  QString name;
  QString message;
};

// The reply to a call with arguments out of range or of the wrong types.
BusError invalidArgument(const QString& message);

// The reply to a call that program could not carry out because it is ending
// after an error.
BusError endingAfterError(const ProgramIdentity& program);

// What org.freedesktop.Application asks of the program: bringing its window
// back, and the desktop actions by name.
struct ApplicationHooks {
  std::function<void()> activate;
  std::map<QString, std::function<void()>> actions;
};

// Serves one program on its object path: the interface of its generated
// adaptor (dbus/bus_client.h), whose methods and read-only properties the
// adaptor's parent carries out; the standard org.freedesktop.DBus.Properties
// (Get, GetAll, PropertiesChanged) and org.freedesktop.Application. A call
// whose arguments are not of the method's types is refused with
// org.velmo.Error.InvalidArgument and a message that says what is valid.
// Calls run on the thread of the connection's event loop, one at a time,
// like clicks.
class BusObject final : public QDBusVirtualObject {
 public:
  // Serves adaptor, which must outlive the object, at path.
  BusObject(QDBusAbstractAdaptor& adaptor, std::string_view path, ApplicationHooks application);

  // Answers the call being carried out with error, instead of the plain
  // reply; for the adaptor's parent and the application hooks while they
  // carry out a call (as QDBusContext::sendErrorReply is for QtDBus's
  // objects).
  void refuse(BusError error);

  // Sends PropertiesChanged with each property whose value differs from the
  // one last sent (or read at registration), when any does.
  void propertiesMayHaveChanged();

  // Registers the object on connection at its path; false when the path is
  // taken.
  bool registerOn(QDBusConnection connection);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QDBusMessage answer(const QDBusMessage& message);
  QDBusMessage dispatch(const QDBusMessage& message);
  QDBusMessage callMethod(const QDBusMessage& message);
  QDBusMessage answerProperties(const QDBusMessage& message);
  QDBusMessage answerApplication(const QDBusMessage& message);
  QVariantMap propertyValues() const;

  QDBusAbstractAdaptor& adaptor_;
  QString path_;
  QString interface_;
  QString introspection_;
  ApplicationHooks application_;
  std::optional<BusError> refusal_;
  QVariantMap lastSent_;
  std::vector<QDBusConnection> connections_;
};

}  // namespace velmo::dbus
