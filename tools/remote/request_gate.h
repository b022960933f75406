// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "http/exchange.h"
#include "tools/remote/failure_limiter.h"
#include "tools/remote/refusal.h"
#include "tools/remote/request_target.h"

namespace velmo::remote {

// Who may use the remote.
struct Admission {
  // The Host values that name this remote, lowercase, each with its port
  // ("127.0.0.1:8356", "localhost:8356"). Any other Host is refused, which
  // also stops DNS rebinding.
  std::vector<std::string> ownHosts;
  // The token every API request needs: 32 lowercase hex digits.
  std::string token;
};

// A request the gate lets through: the target the router must serve, which
// is the one the gate checked, and whether the request carried the token.
struct Admitted {
  RequestTarget target;
  bool authenticated = false;
};

// Decides what may reach the router, from the request the server parsed.
class RequestGate {
 public:
  explicit RequestGate(Admission admission) : admission_(std::move(admission)) {}

  // Refuses, in this order: an HTTP version other than 1.0 and 1.1 (505);
  // a missing or repeated Host (400) and a Host that is not the remote's own,
  // with or without the default port 80 (403); an Origin other than the
  // remote's own page and a Sec-Fetch-Site that says another site sent it
  // (403); a target that parseTarget refuses (400); an Upgrade other than a
  // WebSocket upgrade of the push channel (400); under kApiPrefix, a
  // request without the right token (401, counted against its peer: once
  // the peer is blocked, 429, which RemoteApi answers a second late; the
  // right token always gets in); a command
  // (any method but GET and HEAD) without Content-Length (411) or without a
  // JSON Content-Type (415).
  std::variant<Admitted, Refusal> admit(const http::Request& request,
                                        FailureLimiter::Clock::time_point now);

 private:
  std::variant<Admitted, Refusal> admitTarget(const http::Request& request,
                                              FailureLimiter::Clock::time_point now);
  std::optional<Refusal> checkSender(const http::Request& request) const;
  Refusal refuseWithoutToken(const http::Request& request, const RequestTarget& target,
                             FailureLimiter::Clock::time_point now);
  bool carriesToken(const http::Request& request, const RequestTarget& target) const;

  Admission admission_;
  FailureLimiter failures_;
};

}  // namespace velmo::remote
