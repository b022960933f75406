// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "tools/remote/request_head.h"

namespace velmo::remote {

// Splits the bytes a client sends on one connection into requests, each
// checked as soon as its head is complete and held until its body is in.
// Holds no more than one head and one body within the limits.
class RequestFramer {
 public:
  // A complete request: its head taken apart, and its bytes as sent (head
  // and body), to be passed on unchanged.
  struct Request {
    RequestHead head;
    std::string bytes;
  };
  // Looks at a complete head; a refusal ends the connection.
  using Check = std::function<std::optional<Refusal>(const RequestHead&)>;
  // Nothing yet (more bytes are needed), a request, or a refusal.
  using Outcome = std::variant<std::monostate, Request, Refusal>;

  explicit RequestFramer(RequestLimits limits) : limits_(limits) {}

  // Adds the bytes that arrived.
  void take(std::string_view bytes) { pending_.append(bytes); }

  // The next request in the bytes taken, a refusal (431 for a head over the
  // limit, 413 for a body over it, or what parseRequestHead or check
  // refuse), or nothing while it is incomplete.
  Outcome next(const Check& check);

  // True while no byte of a next request has arrived.
  bool idle() const { return pending_.empty(); }

  // The bytes taken after the last request, for a connection that has left
  // HTTP (a WebSocket).
  std::string takeRest() { return std::exchange(pending_, {}); }

 private:
  RequestLimits limits_;
  std::string pending_;
  std::optional<RequestHead> head_;  // checked, waiting for its body
  std::size_t requestBytes_ = 0;     // head and body of head_
};

}  // namespace velmo::remote
