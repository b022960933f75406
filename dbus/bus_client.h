// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusPendingReply>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <string_view>

#include "dbus/application_proxy.h"
#include "dbus/chaser_adaptor.h"
#include "dbus/chaser_proxy.h"
#include "dbus/programs.h"
#include "dbus/remote_adaptor.h"
#include "dbus/remote_proxy.h"
#include "dbus/switchpanel_adaptor.h"
#include "dbus/switchpanel_proxy.h"

namespace velmo::dbus {

// What qdbusxml2cpp makes of the interfaces' XML (dbus/*.xml). A proxy's
// methods call the member of their name on the proxy's instance and return
// its QDBusPendingReply at once (waitForFinished waits for it); the bus
// starts a program that is not running when it can (D-Bus activation). An
// adaptor's getters read its parent's properties of the same names, and its
// slots call its parent's slots of the same names.
using ChaserProxy = ::OrgVelmoChaser1Interface;
using SwitchPanelProxy = ::OrgVelmoSwitchPanel1Interface;
using RemoteProxy = ::OrgVelmoRemote1Interface;
using ApplicationProxy = ::OrgFreedesktopApplicationInterface;
using ChaserAdaptor = ::Chaser1Adaptor;
using SwitchPanelAdaptor = ::SwitchPanel1Adaptor;
using RemoteAdaptor = ::Remote1Adaptor;

// A proxy (ChaserProxy, SwitchPanelProxy, RemoteProxy, ApplicationProxy) of the
// program's instance for the port target on bus; its calls fail after
// timeoutMs without an answer.
template <typename Proxy>
std::unique_ptr<Proxy> reach(const ProgramIdentity& program, std::string_view target,
                             const QDBusConnection& bus, int timeoutMs) {
  auto proxy = std::make_unique<Proxy>(
      QString::fromStdString(busName(program, target)),
      QString::fromUtf8(program.path.data(), static_cast<qsizetype>(program.path.size())), bus);
  proxy->setTimeout(timeoutMs);
  return proxy;
}

// What the error that answered a call to a program means to the caller.
enum class CallFailure {
  kNotRunning,       // no instance runs for the target, and the bus started none
  kInvalidArgument,  // arguments out of range or of the wrong types; nothing changed
  kNoAnswer,         // the program did not answer in time
  kOther,            // the error's message says what
};
CallFailure failureOf(const QDBusError& error);

// Whether a call may have the bus start a program that is not running
// (D-Bus activation, where the program is installed).
enum class Activation { kNever, kWhereInstalled };

// Asks the instance behind proxy for every property of proxy's interface
// (org.freedesktop.DBus.Properties.GetAll), within the proxy's timeout. When
// no instance runs and the bus starts none, the answer fails with
// kNotRunning.
QDBusPendingReply<QVariantMap> readProperties(const QDBusAbstractInterface& proxy,
                                              Activation activation);

// A program's properties as the bus last told them (readProperties, then
// PropertiesChanged), read typed through its interface's adaptor, whose
// getters read their parent's properties by name; here the parent holds the
// values told: known.as<ChaserAdaptor>().pattern(). A property never told
// reads as its type's zero.
class KnownProperties {
 public:
  // Takes the values in told; the properties it does not name keep theirs.
  void take(const QVariantMap& told);

  template <typename Adaptor>
  const Adaptor& as() const {
    settle(Adaptor::staticMetaObject);
    if (const auto* adaptor = values_.findChild<Adaptor*>({}, Qt::FindDirectChildrenOnly)) {
      return *adaptor;
    }
    return *new Adaptor(&values_);  // owned by values_
  }

 private:
  // Values told as bus structures become the types of the adaptor's
  // properties of their names, which its getters read.
  void settle(const QMetaObject& adaptor) const;

  mutable QObject values_;
};

}  // namespace velmo::dbus
