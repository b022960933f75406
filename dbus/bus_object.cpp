// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_object.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>

namespace velmo::dbus {
namespace {

const QString kPropertiesInterface = "org.freedesktop.DBus.Properties";
const QString kApplicationInterface = "org.freedesktop.Application";
const QString kFailedError = "org.velmo.Error.Failed";
const QString kIntrospectableInterface = "org.freedesktop.DBus.Introspectable";

// The <interface> elements of an introspection document, which is what a
// virtual object reports: the bus adds the node and the standard interfaces.
QString interfacesOf(const QString& document) {
  const qsizetype first = document.indexOf("<interface");
  const qsizetype last = document.lastIndexOf("</interface>");
  if (first < 0 || last < 0) return {};
  return document.mid(first, last + qsizetype(sizeof "</interface>") - 1 - first);
}

// The introspection document of an interface, from the program's resources.
QString interfaceDocument(const QString& interface) {
  QFile file(":/velmo/dbus/" + interface + ".xml");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QDBusMessage errorReply(const QDBusMessage& message, const BusError& error) {
  return message.createErrorReply(error.name, error.message);
}

// The arguments of the standard interfaces' methods, as D-Bus signatures and
// in words.
struct StandardMethod {
  const char* interface;
  const char* member;
  const char* signature;
  const char* expected;
};
const StandardMethod kStandardMethods[] = {
    {"org.freedesktop.DBus.Properties", "Get", "ss", "an interface and a property name (s, s)"},
    {"org.freedesktop.DBus.Properties", "GetAll", "s", "an interface name (s)"},
    {"org.freedesktop.DBus.Properties", "Set", "ssv",
     "an interface, a property name and a value (s, s, v)"},
    {"org.freedesktop.Application", "Activate", "a{sv}", "platform data (a{sv})"},
    {"org.freedesktop.Application", "ActivateAction", "sava{sv}",
     "an action name, its parameter and platform data (s, av, a{sv})"},
    {"org.freedesktop.Application", "Open", "asa{sv}", "URIs and platform data (as, a{sv})"},
};

// The refusal of a standard method called with arguments of other types.
std::optional<BusError> wrongStandardArguments(const QDBusMessage& message) {
  for (const StandardMethod& method : kStandardMethods) {
    if (message.interface() != method.interface || message.member() != method.member) continue;
    if (message.signature() == method.signature) return std::nullopt;
    return invalidArgument(message.member() + " takes " + method.expected +
                           ", not arguments of D-Bus type \"" + message.signature() + "\".");
  }
  return std::nullopt;
}

QDBusMessage unknownMethod(const QDBusMessage& message) {
  return message.createErrorReply(QDBusError::UnknownMethod,
                                  "No method " + message.member() + " in interface " +
                                      message.interface() + " on " + message.path() + ".");
}

}  // namespace

BusError invalidArgument(const QString& message) {
  return {QString::fromUtf8(kInvalidArgumentError.data(),
                            static_cast<qsizetype>(kInvalidArgumentError.size())),
          message};
}

BusError failed(const QString& message) {
  return {kFailedError, message};
}

BusObject::BusObject(const BusAddress& address, std::vector<BusMethod> methods,
                     std::vector<BusProperty> properties, ApplicationHooks application)
    : path_(QString::fromUtf8(address.path.data(), static_cast<qsizetype>(address.path.size()))),
      interface_(QString::fromUtf8(address.interface.data(),
                                   static_cast<qsizetype>(address.interface.size()))),
      introspection_(interfacesOf(interfaceDocument(interface_)) + "\n" +
                     interfacesOf(interfaceDocument(kApplicationInterface))),
      methods_(std::move(methods)),
      properties_(std::move(properties)),
      application_(std::move(application)) {}

bool BusObject::registerOn(QDBusConnection connection) {
  if (!connection.registerVirtualObject(path_, this)) return false;
  for (const BusProperty& each : properties_) lastSent_[each.name] = each.value();
  connections_.push_back(connection);
  return true;
}

void BusObject::propertyMayHaveChanged(const QString& name) {
  const BusProperty* changed = property(name);
  if (!changed) return;
  const QVariant now = changed->value();
  QVariant& last = lastSent_[name];
  if (now == last) return;
  last = now;
  QDBusMessage signal =
      QDBusMessage::createSignal(path_, kPropertiesInterface, "PropertiesChanged");
  signal << interface_ << QVariantMap{{name, now}} << QStringList();
  for (QDBusConnection& connection : connections_) connection.send(signal);
}

QString BusObject::introspect(const QString&) const {
  return introspection_;
}

bool BusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage) return false;
  QDBusMessage reply = answer(message);
  if (!message.isReplyRequired()) return true;
  return QDBusConnection(connection).send(reply);
}

QDBusMessage BusObject::answer(const QDBusMessage& message) {
  const QString interface = message.interface();
  if (interface == kIntrospectableInterface && message.member() == "Introspect") {
    return message.createReply(
        "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n" +
        interfacesOf(interfaceDocument("org.freedesktop.DBus")) + "\n" + introspection_ +
        "\n</node>\n");
  }
  if (const std::optional<BusError> error = wrongStandardArguments(message)) {
    return errorReply(message, *error);
  }
  if (interface == kPropertiesInterface) return answerProperties(message);
  if (interface == kApplicationInterface) return answerApplication(message);
  if (interface.isEmpty() || interface == interface_) return callMethod(message);
  return unknownMethod(message);
}

QDBusMessage BusObject::callMethod(const QDBusMessage& message) {
  for (const BusMethod& method : methods_) {
    if (method.name != message.member()) continue;
    if (message.signature() != method.signature) {
      return errorReply(message, invalidArgument(method.name + " takes " + method.expected +
                                                 ", not arguments of D-Bus type \"" +
                                                 message.signature() + "\"."));
    }
    if (const std::optional<BusError> error = method.call(message.arguments())) {
      return errorReply(message, *error);
    }
    return message.createReply();
  }
  return unknownMethod(message);
}

QDBusMessage BusObject::answerProperties(const QDBusMessage& message) {
  const QVariantList arguments = message.arguments();
  const QString member = message.member();
  const QString interface = arguments.value(0).toString();
  if (member == "GetAll" && message.signature() == "s") {
    QVariantMap all;
    if (interface == interface_) {
      for (const BusProperty& each : properties_) all.insert(each.name, each.value());
    }
    return message.createReply(all);
  }
  if ((member == "Get" && message.signature() == "ss") ||
      (member == "Set" && message.signature() == "ssv")) {
    const BusProperty* wanted =
        interface == interface_ ? property(arguments.value(1).toString()) : nullptr;
    if (!wanted) {
      return message.createErrorReply(
          QDBusError::UnknownProperty,
          "No property " + arguments.value(1).toString() + " in interface " + interface + ".");
    }
    if (member == "Set") {
      return message.createErrorReply(QDBusError::PropertyReadOnly,
                                      "The property " + wanted->name + " is read-only.");
    }
    return message.createReply(QVariant::fromValue(QDBusVariant(wanted->value())));
  }
  return unknownMethod(message);
}

QDBusMessage BusObject::answerApplication(const QDBusMessage& message) {
  const QString member = message.member();
  if (member == "Activate" && message.signature() == "a{sv}") {
    if (application_.activate) application_.activate();
    return message.createReply();
  }
  if (member == "ActivateAction" && message.signature() == "sava{sv}") {
    const QString name = message.arguments().value(0).toString();
    const auto action = application_.actions.find(name);
    if (action == application_.actions.end()) {
      QStringList known;
      for (const auto& each : application_.actions) known << each.first;
      return errorReply(message, invalidArgument("No action \"" + name + "\"; the actions are " +
                                                 known.join(", ") + "."));
    }
    action->second();
    return message.createReply();
  }
  if (member == "Open" && message.signature() == "asa{sv}") {
    return message.createErrorReply(QDBusError::NotSupported, "The program opens no files.");
  }
  return unknownMethod(message);
}

const BusProperty* BusObject::property(const QString& name) const {
  for (const BusProperty& each : properties_) {
    if (each.name == name) return &each;
  }
  return nullptr;
}

}  // namespace velmo::dbus
