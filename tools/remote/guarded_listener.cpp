// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/guarded_listener.h"

#include <unistd.h>

#include <QTcpSocket>
#include <exception>
#include <iostream>

#include "tools/remote/connection_guard.h"

namespace velmo::remote {

void HandOverServer::incomingConnection(qintptr descriptor) {
  // Only handed-over connections are served; one that reached this server
  // directly has passed no guard.
  ::close(static_cast<int>(descriptor));
}

GuardedListener::GuardedListener(RequestGate& gate, RequestLimits limits, HandOverServer& server,
                                 QObject* parent)
    : QTcpServer(parent), gate_(gate), limits_(limits), server_(server) {}

void GuardedListener::incomingConnection(qintptr descriptor) {
  auto* socket = new QTcpSocket;
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    return;
  }
  const QHostAddress peer = socket->peerAddress();
  if (open_ >= kMaxConnections || perAddress_.value(peer) >= kMaxConnectionsPerAddress) {
    socket->abort();
    delete socket;
    return;
  }
  try {
    auto* guard = new ConnectionGuard(
        socket, gate_, limits_, [this](QTcpSocket* side) { server_.handOver(side); }, this);
    ++open_;
    ++perAddress_[peer];
    connect(guard, &QObject::destroyed, this, [this, peer] {
      --open_;
      if (--perAddress_[peer] == 0) perAddress_.remove(peer);
    });
  } catch (const std::exception& error) {
    std::cerr << "velmo-remote: " << error.what() << std::endl;
    delete socket;
  }
}

}  // namespace velmo::remote
