// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_object.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFile>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QStringList>

namespace velmo::dbus {
namespace {

const QString kPropertiesInterface = "org.freedesktop.DBus.Properties";
const QString kApplicationInterface = "org.freedesktop.Application";
const QString kFailedError = "org.velmo.Error.Failed";
const QString kIntrospectableInterface = "org.freedesktop.DBus.Introspectable";

QString text(std::string_view view) {
  return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

// The <interface> elements of an introspection document, which is what a
// virtual object reports: the bus adds the node and the standard interfaces.
QString interfacesOf(const QString& document) {
  const qsizetype first = document.indexOf("<interface");
  const qsizetype last = document.lastIndexOf("</interface>");
  if (first < 0 || last < 0) return {};
  return document.mid(first, last + qsizetype(sizeof "</interface>") - 1 - first);
}

// The introspection document of a standard interface, from the program's
// resources.
QString interfaceDocument(const QString& interface) {
  QFile file(":/velmo/dbus/" + interface + ".xml");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString classInfo(const QMetaObject& meta, const char* name) {
  return QString::fromUtf8(meta.classInfo(meta.indexOfClassInfo(name)).value());
}

QDBusMessage errorReply(const QDBusMessage& message, const BusError& error) {
  return message.createErrorReply(error.name, error.message);
}

BusError wrongTypes(const QDBusMessage& message, const QString& expected) {
  return invalidArgument(message.member() + " takes " + expected +
                         ", not arguments of D-Bus type \"" + message.signature() + "\".");
}

// A slot's arguments as D-Bus signatures, and in words as the README writes
// them: "(u pattern)", "(u line, b on)", "no arguments".
QString signatureOf(const QMetaMethod& method) {
  QString signature;
  for (int i = 0; i < method.parameterCount(); ++i) {
    signature += QDBusMetaType::typeToSignature(method.parameterMetaType(i));
  }
  return signature;
}
QString argumentsOf(const QMetaMethod& method) {
  QStringList arguments;
  for (int i = 0; i < method.parameterCount(); ++i) {
    arguments << QDBusMetaType::typeToSignature(method.parameterMetaType(i)) + QString(" ") +
                     method.parameterNames().at(i);
  }
  return arguments.isEmpty() ? "no arguments" : "(" + arguments.join(", ") + ")";
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
    return wrongTypes(message, method.expected);
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
  return {text(kInvalidArgumentError), message};
}

BusError endingAfterError(const ProgramIdentity& program) {
  QString title = text(program.title);
  title[0] = title[0].toUpper();
  return {kFailedError, title + " is ending after an error; start it again."};
}

BusObject::BusObject(QDBusAbstractAdaptor& adaptor, std::string_view path,
                     ApplicationHooks application)
    : adaptor_(adaptor),
      path_(text(path)),
      interface_(classInfo(*adaptor.metaObject(), "D-Bus Interface")),
      introspection_(classInfo(*adaptor.metaObject(), "D-Bus Introspection") +
                     interfacesOf(interfaceDocument(kApplicationInterface))),
      application_(std::move(application)) {}

void BusObject::refuse(BusError error) {
  refusal_ = std::move(error);
}

bool BusObject::registerOn(QDBusConnection connection) {
  if (!connection.registerVirtualObject(path_, this)) return false;
  lastSent_ = propertyValues();
  connections_.push_back(connection);
  return true;
}

void BusObject::propertiesMayHaveChanged() {
  const QVariantMap now = propertyValues();
  QVariantMap changed;
  for (auto each = now.begin(); each != now.end(); ++each) {
    if (each.value() != lastSent_.value(each.key())) changed.insert(each.key(), each.value());
  }
  if (changed.isEmpty()) return;
  lastSent_ = now;
  QDBusMessage signal =
      QDBusMessage::createSignal(path_, kPropertiesInterface, "PropertiesChanged");
  signal << interface_ << changed << QStringList();
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
  refusal_.reset();
  QDBusMessage reply = dispatch(message);
  if (refusal_) return errorReply(message, *refusal_);
  return reply;
}

QDBusMessage BusObject::dispatch(const QDBusMessage& message) {
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
  const QMetaObject& meta = *adaptor_.metaObject();
  for (int index = meta.methodOffset(); index < meta.methodCount(); ++index) {
    const QMetaMethod method = meta.method(index);
    if (method.methodType() != QMetaMethod::Slot || method.name() != message.member().toUtf8()) {
      continue;
    }
    if (message.signature() != signatureOf(method)) {
      return errorReply(message, wrongTypes(message, argumentsOf(method)));
    }
    // The interfaces take basic types, which arrive as the slot's own types.
    QVariantList arguments = message.arguments();
    std::vector<void*> slotArguments{nullptr};  // no return value
    for (QVariant& each : arguments) slotArguments.push_back(each.data());
    QMetaObject::metacall(&adaptor_, QMetaObject::InvokeMetaMethod, index, slotArguments.data());
    return message.createReply();
  }
  return unknownMethod(message);
}

QDBusMessage BusObject::answerProperties(const QDBusMessage& message) {
  const QVariantList arguments = message.arguments();
  const QString member = message.member();
  const QString interface = arguments.value(0).toString();
  const QVariantMap values = interface == interface_ ? propertyValues() : QVariantMap();
  if (member == "GetAll") return message.createReply(values);
  if (member != "Get" && member != "Set") return unknownMethod(message);
  const QString name = arguments.value(1).toString();
  if (!values.contains(name)) {
    return message.createErrorReply(QDBusError::UnknownProperty,
                                    "No property " + name + " in interface " + interface + ".");
  }
  if (member == "Set") {
    return message.createErrorReply(QDBusError::PropertyReadOnly,
                                    "The property " + name + " is read-only.");
  }
  return message.createReply(QVariant::fromValue(QDBusVariant(values[name])));
}

QDBusMessage BusObject::answerApplication(const QDBusMessage& message) {
  const QString member = message.member();
  if (member == "Activate") {
    if (application_.activate) application_.activate();
    return message.createReply();
  }
  if (member == "ActivateAction") {
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
  if (member == "Open") {
    return message.createErrorReply(QDBusError::NotSupported, "The program opens no files.");
  }
  return unknownMethod(message);
}

QVariantMap BusObject::propertyValues() const {
  QVariantMap values;
  const QMetaObject& meta = *adaptor_.metaObject();
  for (int index = meta.propertyOffset(); index < meta.propertyCount(); ++index) {
    const QMetaProperty property = meta.property(index);
    values.insert(property.name(), property.read(&adaptor_));
  }
  return values;
}

}  // namespace velmo::dbus
