// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "http/exchange.h"

namespace velmo::http {

// What a client may send and how long it may take. The HTTP library
// enforces the sizes while it parses.
struct Limits {
  std::size_t maxHeadBytes = 8192;  // request line and fields
  std::size_t maxBodyBytes = 4096;
  std::chrono::seconds requestTime{10};   // from a request's first byte to its last, and per answer
  std::chrono::seconds strangerIdle{10};  // between requests, before it authenticated
  std::chrono::seconds authenticatedIdle{60};  // between requests (or push messages) after
  std::size_t maxPushMessageBytes = 4096;
  std::size_t maxPushBacklog =
      64;  // messages a push client has not taken yet; past this it is cut off
};

// An HTTP/1.1 and WebSocket server (Boost.Beast), on a thread of
// its own: it reads each request within Limits, hands it whole to the
// Service and writes the answer; connections are held to
// ConnectionSlots. It never decides what a request gets.
class Server final : public PushOutbox {
 public:
  Server();
  ~Server() override;

  // Listens on address ("127.0.0.1", "::") and port (0: one the system
  // picks) and serves service until stop(). Throws std::runtime_error that
  // names the address and the reason when it cannot listen.
  void start(Service& service, const std::string& address, std::uint16_t port, Limits limits = {});

  // The port it listens on.
  std::uint16_t port() const;

  // Closes every connection and ends the thread; service is not called
  // after. Also run by the destructor.
  void stop();

  void send(PushClient client, std::string message) override;
  void broadcast(std::string message) override;

 private:
  struct Running;
  std::unique_ptr<Running> running_;
};

}  // namespace velmo::http
