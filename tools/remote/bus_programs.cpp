// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/bus_programs.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace velmo::remote {
namespace {

const QString kPropertiesInterface = "org.freedesktop.DBus.Properties";

QString text(std::string_view view) {
  return QString::fromUtf8(view.data(), view.size());
}

BusPrograms::Program program(const dbus::BusAddress& address, const std::string& target,
                             const char* noun) {
  return {&address, QString::fromStdString(dbus::busName(address, target)), noun, false, {}};
}

QDBusMessage methodCall(const BusPrograms::Program& program, const char* method) {
  return QDBusMessage::createMethodCall(program.service, text(program.address->path),
                                        text(program.address->interface), method);
}

}  // namespace

BusPrograms::BusPrograms(QDBusConnection bus, const std::string& target, QObject* parent)
    : QObject(parent),
      bus_(bus),
      chaser_(program(dbus::kChaserBus, target, "the chaser")),
      panel_(program(dbus::kSwitchPanelBus, target, "the switch panel")),
      watcher_(
          new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForOwnerChange, this)) {
  watcher_->setWatchedServices({chaser_.service, panel_.service});
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &BusPrograms::ownerChanged);
  for (Program* each : {&chaser_, &panel_}) {
    bus_.connect(each->service, text(each->address->path), kPropertiesInterface,
                 "PropertiesChanged", this,
                 SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    readProperties(*each);
  }
}

void BusPrograms::readProperties(Program& program) {
  QDBusMessage getAll = QDBusMessage::createMethodCall(program.service, text(program.address->path),
                                                       kPropertiesInterface, "GetAll");
  getAll << text(program.address->interface);
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(getAll, kCallTimeoutMs), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this, &program, call] {
    call->deleteLater();
    const QDBusPendingReply<QVariantMap> reply = *call;
    if (reply.isError()) return;  // not running: the owner watch tells when it comes
    program.running = true;
    program.properties = reply.value();
    emit changed();
  });
}

void BusPrograms::ownerChanged(const QString& service, const QString&, const QString& newOwner) {
  Program& program = service == chaser_.service ? chaser_ : panel_;
  if (newOwner.isEmpty()) {
    program.running = false;
    emit changed();
  } else {
    readProperties(program);
  }
}

void BusPrograms::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList&) {
  Program& program = interface == text(chaser_.address->interface) ? chaser_ : panel_;
  if (interface != text(program.address->interface)) return;
  program.running = true;
  program.properties.insert(changed);
  emit this->changed();
}

BusPrograms::Program& BusPrograms::programFor(const Command& command) {
  return std::holds_alternative<ChaserCommand>(command) ? chaser_ : panel_;
}

std::optional<QDBusMessage> BusPrograms::callFor(const Command& command, Outcome& refusal) {
  const Program& program = programFor(command);
  if (!program.running) {
    refusal = Refusal{503, program.noun.toStdString() + " is not running: start it first"};
    return std::nullopt;
  }
  if (const auto* chaser = std::get_if<ChaserCommand>(&command)) {
    if (chaser->pattern == 0) return methodCall(program, "Stop");
    return methodCall(program, "Start") << chaser->pattern;
  }
  const auto& line = std::get<LineCommand>(command);
  return methodCall(program, "SetLine") << line.line << line.on;
}

BusPrograms::Outcome BusPrograms::outcomeOf(const QDBusMessage& reply, const Program& program) {
  if (reply.type() != QDBusMessage::ErrorMessage) return std::nullopt;
  const QString name = reply.errorName();
  const std::string message = reply.errorMessage().toStdString();
  if (name == text(dbus::kInvalidArgumentError)) return Refusal{400, message};
  if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
      name == "org.freedesktop.DBus.Error.NameHasNoOwner")
    return Refusal{503, program.noun.toStdString() + " is not running: start it first"};
  if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout")
    return Refusal{504, program.noun.toStdString() + " did not answer in time"};
  return Refusal{502, program.noun.toStdString() + " could not do it: " + message};
}

void BusPrograms::send(const Command& command, std::function<void(const Outcome&)> done) {
  Outcome refusal;
  const auto call = callFor(command, refusal);
  if (!call) return done(refusal);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(*call, kCallTimeoutMs), this);
  const Program* program = &programFor(command);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [watcher, program, done = std::move(done)] {
            watcher->deleteLater();
            done(outcomeOf(watcher->reply(), *program));
          });
}

}  // namespace velmo::remote
