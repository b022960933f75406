// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::remote {

// What passes between the HTTP server (HttpServer, which reads and writes
// the wire within its limits) and the remote that decides what a request
// gets (RemoteApi). Neither side needs the other's libraries.

struct HttpField {
  std::string name;  // lowercase
  std::string value;
};

// One request, as the server parsed it.
struct HttpRequest {
  std::string method;     // as sent: "GET"
  std::string target;     // as sent: path and query
  unsigned version = 11;  // 10 for HTTP/1.0, 11 for HTTP/1.1
  std::vector<HttpField> fields;
  std::string body;
  std::string peer;               // the client's address: "192.168.1.20"
  bool websocketUpgrade = false;  // a complete WebSocket upgrade request

  // The value of the first field called name (lowercase), nothing when absent.
  std::optional<std::string_view> field(std::string_view name) const;
  std::size_t count(std::string_view name) const;
};

// The answer to one request.
struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;  // for HEAD too: the server sends only its length
  std::vector<HttpField> fields;
  bool authenticated = false;  // the request carried the right token
  bool close = false;          // end the connection after this answer
  bool acceptPush = false;     // take the WebSocket upgrade instead of answering
};

// A client of the push channel (a WebSocket), numbered by the server.
using PushClient = std::uint64_t;

// The remote's side, called by the server on its own thread. answer may be
// called on any thread, once; a connection that ended meanwhile drops it.
class HttpService {
 public:
  virtual ~HttpService() = default;
  virtual void serve(HttpRequest request, std::function<void(HttpResponse)> answer) = 0;
  virtual void pushOpened(PushClient client) = 0;
  virtual void pushReceived(PushClient client, std::string message) = 0;
  virtual void pushClosed(PushClient client) = 0;
};

// The server's side of the push channel, callable from any thread.
class PushOutbox {
 public:
  virtual ~PushOutbox() = default;
  virtual void send(PushClient client, std::string message) = 0;
  virtual void broadcast(std::string message) = 0;
};

}  // namespace velmo::remote
