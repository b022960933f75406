// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/bus_object.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusServer>
#include <QTest>
#include <optional>

#include "dbus/bus_client.h"

namespace velmo::dbus {
namespace {

using ::testing::HasSubstr;

QCoreApplication& application() {
  static int argc = 1;
  static char name[] = "bus_object_test";
  static char* argv[] = {name, nullptr};
  static auto* app = new QCoreApplication(argc, argv);
  return *app;
}

// The chaser's adaptor served by a BusObject; its parent implements nothing,
// so only calls that BusObject answers itself are answered as they would be.
class BusObjectTest : public ::testing::Test {
 protected:
  BusObjectTest() : object_(*new ChaserAdaptor(&parent_), kChaser.path, {}) {
    QObject::connect(&server_, &QDBusServer::newConnection, [this](const QDBusConnection& served) {
      served_ = object_.registerOn(served);
    });
    client_ = QDBusConnection::connectToPeer(server_.address(), "bus_object_test");
    EXPECT_TRUE(QTest::qWaitFor([this] { return served_; }, 5000));
  }
  ~BusObjectTest() override { QDBusConnection::disconnectFromPeer("bus_object_test"); }

  QDBusMessage call(const QString& interface, const QString& member,
                    const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        {}, QString::fromUtf8(kChaser.path.data()), interface, member);
    message.setArguments(arguments);
    return client_->call(message, QDBus::BlockWithGui, 5000);
  }

  QCoreApplication& application_ = application();
  QObject parent_;
  BusObject object_;
  QDBusServer server_;
  bool served_ = false;
  std::optional<QDBusConnection> client_;
};

TEST_F(BusObjectTest, RefusesArgumentsOfOtherTypesSayingWhatIsValid) {
  struct Row {
    const char* interface;
    const char* member;
    QVariantList arguments;
    const char* valid;
  };
  const Row rows[] = {
      {"org.velmo.Chaser1", "Start", {QString("1")}, "takes (u pattern), not"},
      {"org.velmo.Chaser1", "Stop", {1u}, "takes no arguments, not"},
      {"org.freedesktop.DBus.Properties", "Get", {QString("org.velmo.Chaser1")}, "(s, s)"},
      {"org.freedesktop.Application", "ActivateAction", {QString("stop")}, "(s, av, a{sv})"},
  };
  for (const Row& row : rows) {
    const QDBusMessage reply = call(row.interface, row.member, row.arguments);
    EXPECT_EQ(reply.errorName().toStdString(), kInvalidArgumentError) << row.member;
    EXPECT_THAT(reply.errorMessage().toStdString(), HasSubstr(row.valid)) << row.member;
  }
}

TEST_F(BusObjectTest, IntrospectsTheAdaptorsInterface) {
  const QString document =
      call("org.freedesktop.DBus.Introspectable", "Introspect", {}).arguments().value(0).toString();
  EXPECT_THAT(document.toStdString(), HasSubstr("<method name=\"Start\">"));
  EXPECT_THAT(document.toStdString(),
              HasSubstr("<interface name=\"org.freedesktop.Application\">"));
}

}  // namespace
}  // namespace velmo::dbus
