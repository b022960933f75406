// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <optional>
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

// The reply to a call the program could not carry out (it is ending after
// an error).
BusError failed(const QString& message);

// One method of a program's interface. call gets the arguments, already
// checked against signature, and returns nothing when done, or the error
// when it refused and changed nothing.
struct BusMethod {
  QString name;
  QString signature;  // D-Bus signature of the arguments: "", "u", "ub"
  QString expected;   // the arguments in words, for a reply to wrong types
  std::function<std::optional<BusError>(const QVariantList& arguments)> call;
};

// One read-only property and how to read it now.
struct BusProperty {
  QString name;
  std::function<QVariant()> value;
};

// What org.freedesktop.Application asks of the program: bringing its window
// back, and the desktop actions by name.
struct ApplicationHooks {
  std::function<void()> activate;
  std::map<QString, std::function<void()>> actions;
};

// Serves one program on its object path: its own interface (methods and
// read-only properties, introspected from the interface's XML), the standard
// org.freedesktop.DBus.Properties (Get, GetAll, PropertiesChanged) and
// org.freedesktop.Application. Calls run on the thread of the connection's
// event loop, one at a time, like clicks.
class BusObject final : public QDBusVirtualObject {
 public:
  // The interface is introspected from its XML document, built into the
  // program (dbus/<interface>.xml).
  BusObject(const BusAddress& address, std::vector<BusMethod> methods,
            std::vector<BusProperty> properties, ApplicationHooks application);

  // Sends PropertiesChanged with the property's value now, when it differs
  // from the value last sent (or read at registration).
  void propertyMayHaveChanged(const QString& name);

  // Registers the object on connection at its path; false when the path is
  // taken.
  bool registerOn(QDBusConnection connection);

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  QDBusMessage answer(const QDBusMessage& message);
  QDBusMessage callMethod(const QDBusMessage& message);
  QDBusMessage answerProperties(const QDBusMessage& message);
  QDBusMessage answerApplication(const QDBusMessage& message);
  const BusProperty* property(const QString& name) const;

  QString path_;
  QString interface_;
  QString introspection_;
  std::vector<BusMethod> methods_;
  std::vector<BusProperty> properties_;
  ApplicationHooks application_;
  std::map<QString, QVariant> lastSent_;
  std::vector<QDBusConnection> connections_;
};

}  // namespace velmo::dbus
