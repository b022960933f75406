// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/bus_programs.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include "dbus/chaser_types.h"

namespace velmo::remote {
namespace {

BusPrograms::Program program(const dbus::ProgramIdentity& identity,
                             const QDBusAbstractInterface& calls) {
  const std::string_view noun = identity.title;
  return {calls.service(),
          QString::fromUtf8(noun.data(), static_cast<qsizetype>(noun.size())),
          false,
          {}};
}

}  // namespace

BusPrograms::BusPrograms(QDBusConnection bus, const std::string& target, QObject* parent)
    : QObject(parent),
      bus_(bus),
      chaserCalls_(dbus::reach<dbus::ChaserProxy>(dbus::kChaser, target, bus, kCallTimeoutMs)),
      panelCalls_(
          dbus::reach<dbus::SwitchPanelProxy>(dbus::kSwitchPanel, target, bus, kCallTimeoutMs)),
      chaser_(program(dbus::kChaser, *chaserCalls_)),
      panel_(program(dbus::kSwitchPanel, *panelCalls_)),
      watcher_(
          new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForOwnerChange, this)) {
  dbus::registerChaserTypes();  // the Patterns the chaser tells read typed
  watcher_->setWatchedServices({chaser_.service, panel_.service});
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &BusPrograms::ownerChanged);
  for (Program* each : {&chaser_, &panel_}) {
    bus_.connect(each->service, callsOf(*each).path(), "org.freedesktop.DBus.Properties",
                 "PropertiesChanged", this,
                 SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    readProperties(*each);
  }
}

const QDBusAbstractInterface& BusPrograms::callsOf(const Program& program) const {
  if (&program == &chaser_) return *chaserCalls_;
  return *panelCalls_;
}

void BusPrograms::readProperties(Program& program) {
  auto* call = new QDBusPendingCallWatcher(
      dbus::readProperties(callsOf(program), dbus::Activation::kNever), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this, &program, call] {
    call->deleteLater();
    const QDBusPendingReply<QVariantMap> reply = *call;
    if (reply.isError()) return;  // not running: the owner watch tells when it comes
    program.running = true;
    program.properties.take(reply.value());
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
  Program& program = interface == chaserCalls_->interface() ? chaser_ : panel_;
  if (interface != callsOf(program).interface()) return;
  program.running = true;
  program.properties.take(changed);
  emit this->changed();
}

BusPrograms::Program& BusPrograms::programFor(const Command& command) {
  return isChaserCommand(command) ? chaser_ : panel_;
}

QDBusPendingCall BusPrograms::callFor(const Command& command) {
  if (const auto* chaser = std::get_if<ChaserCommand>(&command))
    return chaser->pattern == 0 ? chaserCalls_->Stop() : chaserCalls_->Start(chaser->pattern);
  if (const auto* speed = std::get_if<SpeedCommand>(&command))
    return chaserCalls_->SetSpeed(speed->speed);
  if (std::holds_alternative<TapCommand>(command)) return chaserCalls_->Tap();
  const auto& line = std::get<LineCommand>(command);
  return panelCalls_->SetLine(line.line, line.on);
}

BusPrograms::Outcome BusPrograms::notRunning(const Program& program) {
  return Refusal{503, program.noun.toStdString() + " is not running: start it first"};
}

BusPrograms::Outcome BusPrograms::outcomeOf(const QDBusPendingCall& call, const Program& program) {
  if (!call.isError()) return std::nullopt;
  const std::string message = call.error().message().toStdString();
  switch (dbus::failureOf(call.error())) {
    case dbus::CallFailure::kInvalidArgument:
      return Refusal{400, message};
    case dbus::CallFailure::kNotRunning:
      return notRunning(program);
    case dbus::CallFailure::kNoAnswer:
      return Refusal{504, program.noun.toStdString() + " did not answer in time"};
    case dbus::CallFailure::kOther:
      break;
  }
  return Refusal{502, program.noun.toStdString() + " could not do it: " + message};
}

void BusPrograms::send(const Command& command, std::function<void(const Outcome&)> done) {
  const Program& program = programFor(command);
  if (!program.running) return done(notRunning(program));
  auto* watcher = new QDBusPendingCallWatcher(callFor(command), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [watcher, &program, done = std::move(done)] {
            watcher->deleteLater();
            done(outcomeOf(*watcher, program));
          });
}

}  // namespace velmo::remote
