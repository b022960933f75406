// SPDX-License-Identifier: GPL-3.0-or-later
// A StatusNotifierItem host for the end-to-end tests, on the session bus that
// DBUS_SESSION_BUS_ADDRESS names:
//   status_notifier_host serve        owns org.kde.StatusNotifierWatcher, reports a
//                                     host registered and keeps the items registered
//                                     with it while their bus names live
//   status_notifier_host items        prints the registered items, one a line
//   status_notifier_host call METHOD  calls METHOD(0, 0) (Activate, SecondaryActivate,
//                                     ContextMenu) on the one registered item
//   status_notifier_host menu LABEL   clicks the entry LABEL of that item's menu
// Items are taken to be registered by bus name, with their object at
// /StatusNotifierItem, as Qt registers them. Exit status 0 on success, 1 with a
// message on standard error.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace {

const QString kWatcherService = "org.kde.StatusNotifierWatcher";
const QString kWatcherPath = "/StatusNotifierWatcher";
const QString kItemInterface = "org.kde.StatusNotifierItem";
const QString kItemPath = "/StatusNotifierItem";
const QString kProperties = "org.freedesktop.DBus.Properties";

int fail(const QString& text) {
  std::fprintf(stderr, "status_notifier_host: %s\n", qPrintable(text));
  return 1;
}

// The watcher object: two methods and the properties hosts and items read.
class Watcher final : public QDBusVirtualObject {
 public:
  explicit Watcher(const QDBusConnection& bus)
      : names_(QString(), bus, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&names_, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString& name) {
      items_.removeAll(name);
      names_.removeWatchedService(name);
    });
  }

  QString introspect(const QString&) const override {
    return R"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
</interface>
)";
  }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    if (member == "RegisterStatusNotifierItem" && arguments.size() == 1) {
      const QString item = arguments[0].toString();
      if (!items_.contains(item)) {
        items_.append(item);
        names_.addWatchedService(item);
      }
      return bus.send(message.createReply());
    }
    if (member == "RegisterStatusNotifierHost") return bus.send(message.createReply());
    if (message.interface() == kProperties && member == "Get" && arguments.size() == 2) {
      return bus.send(message.createReply(
          QVariant::fromValue(QDBusVariant(property(arguments[1].toString())))));
    }
    if (message.interface() == kProperties && member == "GetAll") {
      QVariantMap all;
      for (const char* name :
           {"RegisteredStatusNotifierItems", "IsStatusNotifierHostRegistered", "ProtocolVersion"}) {
        all.insert(name, property(name));
      }
      return bus.send(message.createReply(QVariant::fromValue(all)));
    }
    return false;
  }

 private:
  QVariant property(const QString& name) const {
    if (name == "RegisteredStatusNotifierItems") return items_;
    if (name == "IsStatusNotifierHostRegistered") return true;
    if (name == "ProtocolVersion") return 0;
    return {};
  }

  QDBusServiceWatcher names_;
  QStringList items_;
};

int serve(QCoreApplication& application) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return fail("no session bus: " + bus.lastError().message());
  Watcher watcher(bus);
  if (!bus.registerVirtualObject(kWatcherPath, &watcher) || !bus.registerService(kWatcherService)) {
    return fail("cannot serve " + kWatcherService + ": " + bus.lastError().message());
  }
  return application.exec();
}

QVariant propertyOf(const QString& service, const QString& path, const QString& interface,
                    const QString& name, QString& error) {
  QDBusMessage get = QDBusMessage::createMethodCall(service, path, kProperties, "Get");
  get << interface << name;
  const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    error = reply.errorMessage();
    return {};
  }
  return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
}

std::optional<QStringList> registeredItems() {
  QString error;
  const QVariant items = propertyOf(kWatcherService, kWatcherPath, kWatcherService,
                                    "RegisteredStatusNotifierItems", error);
  if (!error.isEmpty()) {
    fail(error);
    return std::nullopt;
  }
  return items.toStringList();
}

std::optional<QString> theOneItem() {
  const auto items = registeredItems();
  if (!items) return std::nullopt;
  if (items->size() != 1) {
    fail(QString("%1 items are registered, expected one").arg(items->size()));
    return std::nullopt;
  }
  return items->first();
}

int printItems() {
  const auto items = registeredItems();
  if (!items) return 1;
  for (const QString& item : *items) std::printf("%s\n", qPrintable(item));
  return 0;
}

int callItem(const QString& method) {
  const auto item = theOneItem();
  if (!item) return 1;
  QDBusMessage call = QDBusMessage::createMethodCall(*item, kItemPath, kItemInterface, method);
  call << 0 << 0;
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
  return reply.type() == QDBusMessage::ReplyMessage ? 0
                                                    : fail(method + ": " + reply.errorMessage());
}

// The id of the entry labelled label in a com.canonical.dbusmenu layout node,
// (ia{sv}av): id, properties, children.
std::optional<int> entryWithLabel(const QDBusArgument& node, const QString& label) {
  int id = 0;
  QVariantMap properties;
  node.beginStructure();
  node >> id >> properties;
  std::optional<int> found;
  if (properties.value("label").toString() == label) found = id;
  node.beginArray();
  while (!node.atEnd()) {
    QDBusVariant child;
    node >> child;
    const auto inChild = entryWithLabel(qvariant_cast<QDBusArgument>(child.variant()), label);
    if (!found) found = inChild;
  }
  node.endArray();
  node.endStructure();
  return found;
}

int clickMenuEntry(const QString& label) {
  const auto item = theOneItem();
  if (!item) return 1;
  QString error;
  const QString menu =
      qvariant_cast<QDBusObjectPath>(propertyOf(*item, kItemPath, kItemInterface, "Menu", error))
          .path();
  if (!error.isEmpty() || menu.isEmpty() || menu == "/")
    return fail("the item has no menu " + error);

  QDBusConnection bus = QDBusConnection::sessionBus();
  QDBusMessage getLayout =
      QDBusMessage::createMethodCall(*item, menu, "com.canonical.dbusmenu", "GetLayout");
  getLayout << 0 << -1 << QStringList();
  const QDBusMessage layout = bus.call(getLayout);
  if (layout.type() != QDBusMessage::ReplyMessage)
    return fail("GetLayout: " + layout.errorMessage());
  const auto id = entryWithLabel(qvariant_cast<QDBusArgument>(layout.arguments().value(1)), label);
  if (!id) return fail("the menu has no entry " + label);

  QDBusMessage event =
      QDBusMessage::createMethodCall(*item, menu, "com.canonical.dbusmenu", "Event");
  event << *id << QString("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
  const QDBusMessage reply = bus.call(event);
  return reply.type() == QDBusMessage::ReplyMessage ? 0 : fail("Event: " + reply.errorMessage());
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = application.arguments();
  const QString command = arguments.value(1);
  if (command == "serve" && arguments.size() == 2) return serve(application);
  if (command == "items" && arguments.size() == 2) return printItems();
  if (command == "call" && arguments.size() == 3) return callItem(arguments[2]);
  if (command == "menu" && arguments.size() == 3) return clickMenuEntry(arguments[2]);
  return fail("usage: status_notifier_host serve | items | call METHOD | menu LABEL");
}
