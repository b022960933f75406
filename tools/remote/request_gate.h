// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/remote/failure_limiter.h"
#include "tools/remote/request_head.h"

namespace velmo::remote {

// Who may use the remote.
struct Admission {
  // The Host values that name this remote, lowercase, with the port
  // ("127.0.0.1:8356", "localhost:8356"). Any other Host is refused, which
  // also stops DNS rebinding.
  std::vector<std::string> ownHosts;
  // The token every API request needs; empty when none is needed (the
  // default listen on loopback).
  std::string token;
};

// Decides, from its head alone, whether a request may reach the server.
class RequestGate {
 public:
  explicit RequestGate(Admission admission) : admission_(std::move(admission)) {}

  // Refuses, in this order: a Host that is not the remote's own, an Origin
  // other than the remote's own page and a Sec-Fetch-Site that says another
  // site sent it (403); an Upgrade other than a WebSocket on the push channel
  // (400); in token mode, an API request from an address blocked for wrong
  // tokens (429) and one without the right token (401, counted against
  // peer); a command (any method but GET and HEAD) without a JSON body
  // (411 without Content-Length, 415 for another Content-Type).
  std::optional<Refusal> check(const RequestHead& head, const std::string& peer,
                               FailureLimiter::Clock::time_point now);

 private:
  std::optional<Refusal> checkSender(const RequestHead& head) const;
  std::optional<Refusal> checkToken(const RequestHead& head, const std::string& peer,
                                    FailureLimiter::Clock::time_point now);
  bool carriesToken(const RequestHead& head) const;

  Admission admission_;
  FailureLimiter failures_;
};

}  // namespace velmo::remote
