// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QWebSocket>
#include <memory>
#include <vector>

#include "tools/remote/bus_programs.h"
#include "tools/remote/remote_state.h"

class QAbstractHttpServer;

namespace velmo::remote {

// The WebSocket clients of the push channel: each gets the state as JSON
// when it connects and again on every change, and may send commands
// ({"pattern": N} or {"line": N, "on": B}); a command the programs refuse
// comes back as {"error": message, "status": N}.
class PushChannel : public QObject {
  Q_OBJECT

 public:
  // The largest message a client may send.
  static constexpr qint64 kMaxMessageBytes = 4096;

  PushChannel(QAbstractHttpServer& server, BusPrograms& programs,
              std::function<RemoteState()> state, QObject* parent = nullptr);

  // Sends state to every client.
  void broadcast(const RemoteState& state);

 private:
  void accept();
  void received(QWebSocket* client, const QString& message);
  void drop(QWebSocket* client);

  QAbstractHttpServer& server_;
  BusPrograms& programs_;
  std::function<RemoteState()> state_;
  std::vector<std::unique_ptr<QWebSocket>> clients_;
};

}  // namespace velmo::remote
