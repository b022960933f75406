// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <string>

#include "tools/remote/request_gate.h"
#include "tools/remote/request_head.h"

namespace velmo::remote {

// The server Qt HttpServer takes its connections from: it never listens,
// and gets each connection from GuardedListener once that has put a guard
// in front of it.
class HandOverServer : public QTcpServer {
  Q_OBJECT

 public:
  using QTcpServer::QTcpServer;
  void handOver(QTcpSocket* socket) { addPendingConnection(socket); }

 protected:
  void incomingConnection(qintptr descriptor) override;
};

// Listens for the remote's clients and puts a ConnectionGuard in front of
// each connection before the HTTP server sees a byte of it.
//
// Why a guard in front: Qt HttpServer 6.4 reads whatever a client sends
// into memory, with no bound on the head, the number of fields or the body,
// never times a slow client out, and turns any request with "Upgrade:
// websocket" into a WebSocket before the program can look at it. So the
// guard reads first, within RequestLimits and ConnectionGuard's times,
// refuses what RequestGate refuses, and lets through whole checked requests
// only. Connections are also capped, in all and per address.
class GuardedListener : public QTcpServer {
  Q_OBJECT

 public:
  static constexpr int kMaxConnections = 128;
  static constexpr int kMaxConnectionsPerAddress = 32;

  GuardedListener(RequestGate& gate, RequestLimits limits, HandOverServer& server,
                  QObject* parent = nullptr);

 protected:
  void incomingConnection(qintptr descriptor) override;

 private:
  RequestGate& gate_;
  RequestLimits limits_;
  HandOverServer& server_;
  QHash<QHostAddress, int> perAddress_;
  int open_ = 0;
};

}  // namespace velmo::remote
