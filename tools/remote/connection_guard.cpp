// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/connection_guard.h"

#include <sys/socket.h>

#include <cerrno>
#include <system_error>

#include "tools/remote/refusal_response.h"

namespace velmo::remote {
namespace {

// Bytes Qt reads ahead from a client before it waits for them to be taken.
constexpr qint64 kReadAhead = 64 * 1024;

std::string addressText(const QHostAddress& address) {
  bool mapped = false;
  const quint32 ip4 = address.toIPv4Address(&mapped);
  return (mapped ? QHostAddress(ip4) : address).toString().toStdString();
}

}  // namespace

ConnectionGuard::ConnectionGuard(QTcpSocket* client, RequestGate& gate, const RequestLimits& limits,
                                 const std::function<void(QTcpSocket*)>& serverSide,
                                 QObject* parent)
    : QObject(parent),
      client_(client),
      server_(new QLocalSocket(this)),
      gate_(gate),
      framer_(limits),
      peer_(addressText(client->peerAddress())) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
    throw std::system_error(errno, std::generic_category(), "cannot make a socket pair");
  auto* serverEnd = new QTcpSocket;
  serverEnd->setSocketDescriptor(pair[0]);
  server_->setSocketDescriptor(pair[1]);
  client_->setParent(this);
  client_->setReadBufferSize(kReadAhead);

  connect(client_, &QTcpSocket::readyRead, this, &ConnectionGuard::clientSent);
  connect(client_, &QTcpSocket::disconnected, this, &ConnectionGuard::cutOff);
  connect(server_, &QLocalSocket::readyRead, this, &ConnectionGuard::serverSent);
  connect(server_, &QLocalSocket::disconnected, this, &ConnectionGuard::serverClosed);
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, &ConnectionGuard::deadlinePassed);
  deadline_.start(kRequestTime);
  serverSide(serverEnd);
}

void ConnectionGuard::clientSent() {
  const QByteArray bytes = client_->readAll();
  if (ending_) return;
  if (upgraded_) {
    server_->write(bytes);
    return;
  }
  if (framer_.idle() && !bytes.isEmpty()) deadline_.start(kRequestTime);
  framer_.take(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!relayRequests()) return;
  if (upgraded_) {
    deadline_.stop();
    server_->write(QByteArray::fromStdString(framer_.takeRest()));
  } else if (framer_.idle()) {
    deadline_.start(kIdleTime);
  }
}

// Relays each complete request; false when one was refused.
bool ConnectionGuard::relayRequests() {
  const auto check = [this](const RequestHead& head) {
    return gate_.check(head, peer_, FailureLimiter::Clock::now());
  };
  while (!upgraded_) {
    auto outcome = framer_.next(check);
    if (std::holds_alternative<std::monostate>(outcome)) break;
    if (const auto* refusal = std::get_if<Refusal>(&outcome)) {
      refuse(*refusal);
      return false;
    }
    const auto& request = std::get<RequestFramer::Request>(outcome);
    server_->write(request.bytes.data(), static_cast<qint64>(request.bytes.size()));
    upgraded_ = request.head.field("upgrade").has_value();
  }
  return true;
}

void ConnectionGuard::serverSent() {
  client_->write(server_->readAll());
  if (client_->bytesToWrite() > kMaxUnsentBytes) cutOff();
}

void ConnectionGuard::refuse(const Refusal& refusal) {
  client_->write(refusalResponse(refusal));
  serverClosed();
}

void ConnectionGuard::deadlinePassed() {
  if (ending_ || framer_.idle()) return cutOff();
  refuse({408, "the request took longer than " + std::to_string(kRequestTime.count()) + " s"});
}

void ConnectionGuard::serverClosed() {
  if (ending_) return;
  ending_ = true;
  server_->abort();
  deadline_.start(kRequestTime);
  client_->disconnectFromHost();
}

void ConnectionGuard::cutOff() {
  if (gone_) return;
  gone_ = true;
  ending_ = true;
  deadline_.stop();
  server_->abort();
  client_->abort();
  deleteLater();
}

}  // namespace velmo::remote
