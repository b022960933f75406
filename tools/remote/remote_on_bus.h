// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <string>

namespace velmo::remote {

// The remote on the session bus (org.velmo.Remote1, dbus/org.velmo.Remote1.xml),
// so that the user's own programs (velmo remote url, the menu entry) find
// its page with the token; the bus admits only the user.
class RemoteOnBus : public QObject {
  Q_OBJECT
  // The interface's property, under the name by which its adaptor reads it.
  Q_PROPERTY(QString PageAddress READ pageAddress)

 public:
  explicit RemoteOnBus(QString pageAddress, QObject* parent = nullptr);

  // Takes the remote's bus name for the port target (canonical text, "" for
  // the default register). When the bus refuses it (another remote runs for
  // that target), says so on standard error and goes on.
  void serveOn(QDBusConnection bus, const std::string& target);

  QString pageAddress() const { return pageAddress_; }

 private:
  QString pageAddress_;
};

}  // namespace velmo::remote
