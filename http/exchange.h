// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::http {

// What passes between the HTTP server (Server, which reads and writes the
// wire within its limits) and the service that decides what each request
// gets (the remote's RemoteApi). Neither side needs the other's libraries.

struct Field {
  std::string name;  // lowercase
  std::string value;
};

// One request, as the server parsed it.
struct Request {
  std::string method;     // as sent: "GET"
  std::string target;     // as sent: path and query
  unsigned version = 11;  // 10 for HTTP/1.0, 11 for HTTP/1.1
  std::vector<Field> fields;
  std::string body;
  std::string peer;               // the client's address: "192.168.1.20"
  bool websocketUpgrade = false;  // a complete WebSocket upgrade request

  // The value of the first field called name (lowercase), nothing when absent.
  std::optional<std::string_view> field(std::string_view name) const;
  std::size_t count(std::string_view name) const;
};

// The answer to one request.
struct Response {
  int status = 200;
  std::string contentType;
  std::string body;  // for HEAD too: the server sends only its length
  std::vector<Field> fields;
  bool authenticated = false;  // the request proved who sent it (the remote's token)
  bool close = false;          // end the connection after this answer
  bool acceptPush = false;     // take the WebSocket upgrade instead of answering
};

// A client of the push channel (a WebSocket), numbered by the server.
using PushClient = std::uint64_t;

// The service's side, called by the server on its own thread. answer may be
// called on any thread, once; a connection that ended meanwhile drops it.
class Service {
 public:
  virtual ~Service() = default;
  virtual void serve(Request request, std::function<void(Response)> answer) = 0;
  virtual void pushOpened(PushClient client) = 0;
  virtual void pushReceived(PushClient client, std::string message) = 0;
  virtual void pushClosed(PushClient client) = 0;
};

// {"error": message} as JSON text: the body of the server's own refusals
// (a head or body over its limit, a request that does not read as HTTP).
std::string errorJson(std::string_view message);

// The server's side of the push channel, callable from any thread.
class PushOutbox {
 public:
  virtual ~PushOutbox() = default;
  virtual void send(PushClient client, std::string message) = 0;
  virtual void broadcast(std::string message) = 0;
};

}  // namespace velmo::http
