// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>
#include <functional>
#include <optional>
#include <utility>

#include "tools/remote/command.h"

namespace velmo::remote {

// Who may send OSC: senders in a subnet, or (none given) this machine only.
using Subnet = std::pair<QHostAddress, int>;

// Takes OSC messages (and bundles of them) over UDP and runs each command
// they carry (see oscCommand). OSC has no authentication: without allowed,
// it listens on loopback only; with it, on every address, taking datagrams
// from allowed's senders only. Anything else is ignored.
class OscReceiver : public QObject {
  Q_OBJECT

 public:
  // Listens on port (0: one the system picks). Throws std::runtime_error
  // that names the port when it cannot.
  OscReceiver(quint16 port, std::optional<Subnet> allowed, std::function<void(const Command&)> run,
              QObject* parent = nullptr);

  // Where it listens, for people: "127.0.0.1:9000".
  QString address() const;

 private:
  void readDatagrams();
  void takePacket(const char* data, std::size_t size, int depth);
  void takeMessage(const char* data, std::size_t size);

  QUdpSocket socket_;
  std::optional<Subnet> allowed_;
  std::function<void(const Command&)> run_;
};

}  // namespace velmo::remote
