// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/push_channel.h"

#include <QAbstractHttpServer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <algorithm>

namespace velmo::remote {
namespace {

QString compact(const QJsonObject& object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString errorMessage(const Refusal& refusal) {
  return compact({{"error", QString::fromStdString(refusal.message)}, {"status", refusal.status}});
}

}  // namespace

PushChannel::PushChannel(QAbstractHttpServer& server, BusPrograms& programs,
                         std::function<RemoteState()> state, QObject* parent)
    : QObject(parent), server_(server), programs_(programs), state_(std::move(state)) {
  connect(&server_, &QAbstractHttpServer::newWebSocketConnection, this, &PushChannel::accept);
}

void PushChannel::accept() {
  while (server_.hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> client = server_.nextPendingWebSocketConnection();
    QWebSocket* socket = client.get();
    socket->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
    socket->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
    connect(socket, &QWebSocket::textMessageReceived, this,
            [this, socket](const QString& message) { received(socket, message); });
    connect(socket, &QWebSocket::binaryMessageReceived, socket,
            [socket] { socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported); });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { drop(socket); });
    socket->sendTextMessage(compact(toJson(state_())));
    clients_.push_back(std::move(client));
  }
}

void PushChannel::received(QWebSocket* client, const QString& message) {
  const CommandOrRefusal command = pushCommand(message.toUtf8());
  if (const auto* refusal = std::get_if<Refusal>(&command)) {
    client->sendTextMessage(errorMessage(*refusal));
    return;
  }
  QPointer<QWebSocket> answerTo = client;
  programs_.send(std::get<Command>(command), [answerTo](const BusPrograms::Outcome& outcome) {
    if (outcome && answerTo) answerTo->sendTextMessage(errorMessage(*outcome));
  });
}

void PushChannel::drop(QWebSocket* client) {
  const auto found = std::find_if(clients_.begin(), clients_.end(),
                                  [client](const auto& each) { return each.get() == client; });
  if (found == clients_.end()) return;
  found->release()->deleteLater();
  clients_.erase(found);
}

void PushChannel::broadcast(const RemoteState& state) {
  const QString message = compact(toJson(state));
  for (const auto& client : clients_) client->sendTextMessage(message);
}

}  // namespace velmo::remote
