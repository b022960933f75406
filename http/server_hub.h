// SPDX-License-Identifier: GPL-3.0-or-later
// Inside Server: what its connections share. Everything here lives on
// the server's thread alone.
#pragma once

#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <map>
#include <memory>
#include <string>

#include "http/connection_slots.h"
#include "http/server.h"

namespace velmo::http {

// One client connection, HTTP or, after an upgrade, WebSocket.
class Connection {
 public:
  virtual ~Connection() = default;
  // Ends the connection now: it was evicted, or the server stops.
  virtual void close() = 0;
};

class PushConnection;

struct ServerHub {
  Service& service;
  Limits limits;
  ConnectionSlots slots;
  // Every open connection, owned here until it ends.
  std::map<ConnectionSlots::Id, std::shared_ptr<Connection>> connections;
  std::map<PushClient, std::weak_ptr<PushConnection>> pushClients;
  PushClient nextPushClient = 1;

  // A connection's end: its slot is free again, and it goes once its
  // handler returns.
  void ended(ConnectionSlots::Id id) {
    slots.closed(id);
    connections.erase(id);
  }

  // Closes every connection.
  void closeAll() {
    const auto open = connections;
    for (const auto& each : open) each.second->close();
  }
};

using BeastRequest = boost::beast::http::request<boost::beast::http::string_body>;

// Reads requests from a new connection and answers them, until it ends or
// turns into a push client; registers it in hub.connections.
void serveConnection(boost::beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id,
                     std::string peer);

// Takes the WebSocket upgrade that request asks for on stream, and serves
// the push client from then on, in the same slot.
void servePushClient(boost::beast::tcp_stream stream, ServerHub& hub, ConnectionSlots::Id id,
                     BeastRequest request);

// Queues message for one push client; a client that lets more than
// hub.limits.maxPushBacklog pile up is cut off.
void sendToPushClient(PushConnection& client, std::shared_ptr<const std::string> message);

}  // namespace velmo::http
