// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

#include "tools/remote/request_framer.h"
#include "tools/remote/request_gate.h"

namespace velmo::remote {

// Stands between one client connection and the HTTP server: reads what the
// client sends, frames and checks each request, and relays only checked
// requests, whole, to the server's end of a socket pair; relays the
// server's answers back. A refused request is answered here and ends the
// connection. After a WebSocket upgrade it relays both ways unchanged (the
// WebSocket limits its own messages). Deletes itself when the connection
// ends.
class ConnectionGuard : public QObject {
  Q_OBJECT

 public:
  // How long a client may take.
  static constexpr std::chrono::seconds kRequestTime{
      10};                                              // from a request's first byte to its last
  static constexpr std::chrono::seconds kIdleTime{60};  // between requests
  // Answers a client has not read yet; past this it is cut off.
  static constexpr qint64 kMaxUnsentBytes = 1 << 20;

  // Takes client over (as its parent). serverSide gets the server's end of
  // the socket pair; throws std::system_error when no pair can be made.
  ConnectionGuard(QTcpSocket* client, RequestGate& gate, const RequestLimits& limits,
                  const std::function<void(QTcpSocket*)>& serverSide, QObject* parent);

 private:
  void clientSent();
  void serverSent();
  bool relayRequests();
  void refuse(const Refusal& refusal);
  void deadlinePassed();
  // The server's end closed: the client gets what is left, then the
  // connection closes (within kRequestTime).
  void serverClosed();
  // Ends everything now.
  void cutOff();

  QTcpSocket* client_;
  QLocalSocket* server_;
  RequestGate& gate_;
  RequestFramer framer_;
  QTimer deadline_;
  std::string peer_;
  bool upgraded_ = false;
  bool ending_ = false;  // nothing more goes to the server
  bool gone_ = false;
};

}  // namespace velmo::remote
