// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_gate.h"

#include <algorithm>

#include "system/ascii_case.h"
#include "tools/remote/api_paths.h"

namespace velmo::remote {
namespace {

Refusal forbidden(std::string message) {
  return {403, std::move(message)};
}

// A Host or an Origin's host, lowercase, with the port: HTTP's default 80
// when it names none.
std::string hostWithPort(std::string_view host) {
  std::string text = asciiLowercase(host);
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || text.back() == ']') text += ":80";
  return text;
}

// Compares in a time that does not depend on where the texts differ.
bool sameSecret(std::string_view given, std::string_view secret) {
  if (given.size() != secret.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < secret.size(); ++i)
    difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
  return difference == 0;
}

bool isCommand(const http::Request& request) {
  return request.method != "GET" && request.method != "HEAD";
}

std::optional<Refusal> checkBody(const http::Request& request) {
  if (!isCommand(request)) return std::nullopt;
  if (!request.field("content-length"))
    return Refusal{411, "a command needs a JSON body with Content-Length"};
  const std::string type = asciiLowercase(request.field("content-type").value_or(""));
  if (type != "application/json" && !type.starts_with("application/json;"))
    return Refusal{415, "a command's body must be JSON (Content-Type: application/json)"};
  return std::nullopt;
}

std::optional<Refusal> checkUpgrade(const http::Request& request, const RequestTarget& target) {
  if (!request.field("upgrade")) return std::nullopt;
  if (!request.websocketUpgrade || target.path != kEventsPath)
    return Refusal{400, "only " + std::string(kEventsPath) +
                            " takes an upgrade, to a WebSocket (with Connection: Upgrade)"};
  return std::nullopt;
}

}  // namespace

std::variant<Admitted, Refusal> RequestGate::admit(const http::Request& request,
                                                   FailureLimiter::Clock::time_point now) {
  if (request.version != 10 && request.version != 11)
    return Refusal{505, "the remote speaks HTTP/1.1"};
  if (auto refusal = checkSender(request)) return *refusal;
  return admitTarget(request, now);
}

std::variant<Admitted, Refusal> RequestGate::admitTarget(const http::Request& request,
                                                         FailureLimiter::Clock::time_point now) {
  auto parsed = parseTarget(request.target);
  if (auto* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
  Admitted admitted{std::move(std::get<RequestTarget>(parsed)), false};
  if (auto refusal = checkUpgrade(request, admitted.target)) return *refusal;
  admitted.authenticated = carriesToken(request, admitted.target);
  if (!admitted.authenticated && admitted.target.path.starts_with(kApiPrefix))
    return refuseWithoutToken(request, admitted.target, now);
  if (auto refusal = checkBody(request)) return *refusal;
  return admitted;
}

std::optional<Refusal> RequestGate::checkSender(const http::Request& request) const {
  if (request.count("host") != 1) return Refusal{400, "a request needs one Host field"};
  const std::string host = hostWithPort(*request.field("host"));
  const auto& own = admission_.ownHosts;
  if (std::find(own.begin(), own.end(), host) == own.end())
    return forbidden("Host " + host + " is not this remote's address");
  constexpr std::string_view kPageScheme = "http://";
  if (const auto origin = request.field("origin");
      origin && (!asciiLowercase(*origin).starts_with(kPageScheme) ||
                 hostWithPort(origin->substr(kPageScheme.size())) != host))
    return forbidden("requests from another site's pages are refused");
  if (const auto site = request.field("sec-fetch-site");
      site && *site != "same-origin" && *site != "none")
    return forbidden("requests from another site's pages are refused");
  return std::nullopt;
}

Refusal RequestGate::refuseWithoutToken(const http::Request& request, const RequestTarget& target,
                                        FailureLimiter::Clock::time_point now) {
  const bool given = request.field("authorization") || target.queryValue("token");
  if (!given) {
    return Refusal{401,
                   "this remote needs its token: open the address velmo remote url prints (or "
                   "\"Velmo Remote\" in the menu), or send Authorization: Bearer TOKEN"};
  }
  if (failures_.blocked(request.peer, now))
    return Refusal{429, "too many wrong tokens from this address: try again in a minute"};
  failures_.failed(request.peer, now);
  return Refusal{401, "wrong token"};
}

bool RequestGate::carriesToken(const http::Request& request, const RequestTarget& target) const {
  constexpr std::string_view kBearer = "bearer ";
  if (const auto authorization = request.field("authorization")) {
    const std::string given = asciiLowercase(*authorization);
    return given.starts_with(kBearer) &&
           sameSecret(std::string_view(given).substr(kBearer.size()), admission_.token);
  }
  const auto query = target.queryValue("token");
  return query && target.path == kEventsPath &&
         sameSecret(asciiLowercase(*query), admission_.token);
}

}  // namespace velmo::remote
