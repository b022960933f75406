// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dbus/bus_client.h"
#include "tools/remote/command.h"

class QDBusServiceWatcher;

namespace velmo::remote {

// The chaser and the switch panel of one port target as the session bus
// shows them: which of them run (their bus names' owners), their properties
// (read when a program appears, then followed through PropertiesChanged),
// and the calls that carry commands to them.
class BusPrograms : public QObject {
  Q_OBJECT

 public:
  // One program on the bus.
  struct Program {
    QString service;  // its bus name on the target
    QString noun;     // "the chaser", for messages
    bool running = false;
    // Its properties as last told, read through its adaptor:
    // properties.as<dbus::ChaserAdaptor>().pattern().
    dbus::KnownProperties properties;
  };

  // Follows the programs on target (canonical target text, "" for the
  // default register) on bus.
  BusPrograms(QDBusConnection bus, const std::string& target, QObject* parent = nullptr);

  const Program& chaser() const { return chaser_; }
  const Program& panel() const { return panel_; }

  // What becomes of a command: nothing when the program carried it out,
  // else why not: 503 when its program is not running, 400 when the
  // program refused the value, 504 when it did not answer in time, 502 for
  // another bus error.
  using Outcome = std::optional<Refusal>;

  // Sends command to its program without waiting; done gets the outcome on
  // the event loop, within kCallTimeoutMs.
  void send(const Command& command, std::function<void(const Outcome&)> done);

  static constexpr int kCallTimeoutMs = 2000;

 signals:
  // A program came or went, or a property changed.
  void changed();

 private slots:
  void ownerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
  void propertiesChanged(const QString& interface, const QVariantMap& changed,
                         const QStringList& invalidated);

 private:
  Program& programFor(const Command& command);
  QDBusPendingCall callFor(const Command& command);
  static Outcome notRunning(const Program& program);
  static Outcome outcomeOf(const QDBusPendingCall& call, const Program& program);
  const QDBusAbstractInterface& callsOf(const Program& program) const;
  void readProperties(Program& program);

  QDBusConnection bus_;
  std::unique_ptr<dbus::ChaserProxy> chaserCalls_;
  std::unique_ptr<dbus::SwitchPanelProxy> panelCalls_;
  Program chaser_;
  Program panel_;
  QDBusServiceWatcher* watcher_;
};

}  // namespace velmo::remote
