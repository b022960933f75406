// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_gate.h"

#include <algorithm>

#include "tools/remote/api_paths.h"

namespace velmo::remote {
namespace {

Refusal forbidden(std::string message) {
  return {403, std::move(message)};
}

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return lower;
}

// Compares in a time that does not depend on where the texts differ.
bool sameSecret(std::string_view given, std::string_view secret) {
  if (given.size() != secret.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < secret.size(); ++i)
    difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
  return difference == 0;
}

bool isCommand(const RequestHead& head) {
  return head.method != "GET" && head.method != "HEAD";
}

std::optional<Refusal> checkBody(const RequestHead& head) {
  if (!isCommand(head)) return std::nullopt;
  if (!head.field("content-length"))
    return Refusal{411, "a command needs a JSON body with Content-Length"};
  const std::string type = lowercase(head.field("content-type").value_or(""));
  if (type != "application/json" && !type.starts_with("application/json;"))
    return Refusal{415, "a command's body must be JSON (Content-Type: application/json)"};
  return std::nullopt;
}

}  // namespace

std::optional<Refusal> RequestGate::check(const RequestHead& head, const std::string& peer,
                                          FailureLimiter::Clock::time_point now) {
  if (auto refusal = checkSender(head)) return refusal;
  if (const auto upgrade = head.field("upgrade")) {
    if (lowercase(*upgrade) != "websocket" || head.path() != kEventsPath)
      return Refusal{400, "only " + std::string(kEventsPath) + " takes an upgrade, to a WebSocket"};
  }
  if (auto refusal = checkToken(head, peer, now)) return refusal;
  return checkBody(head);
}

std::optional<Refusal> RequestGate::checkSender(const RequestHead& head) const {
  const std::string host = lowercase(head.field("host").value_or(""));
  const auto& own = admission_.ownHosts;
  if (std::find(own.begin(), own.end(), host) == own.end())
    return forbidden("Host " + host + " is not this remote's address");
  if (const auto origin = head.field("origin"); origin && lowercase(*origin) != "http://" + host)
    return forbidden("requests from another site's pages are refused");
  if (const auto site = head.field("sec-fetch-site");
      site && *site != "same-origin" && *site != "none")
    return forbidden("requests from another site's pages are refused");
  return std::nullopt;
}

std::optional<Refusal> RequestGate::checkToken(const RequestHead& head, const std::string& peer,
                                               FailureLimiter::Clock::time_point now) {
  if (admission_.token.empty() || !head.path().starts_with(kApiPrefix)) return std::nullopt;
  if (failures_.blocked(peer, now))
    return Refusal{429, "too many wrong tokens from this address: try again in a minute"};
  if (carriesToken(head)) return std::nullopt;
  const bool given = head.field("authorization") || head.query("token");
  if (given) failures_.failed(peer, now);
  return Refusal{401, given ? "wrong token"
                            : "this remote needs its token: open the address it printed at "
                              "start, or send Authorization: Bearer TOKEN"};
}

bool RequestGate::carriesToken(const RequestHead& head) const {
  constexpr std::string_view kBearer = "bearer ";
  if (const auto authorization = head.field("authorization")) {
    return lowercase(authorization->substr(0, kBearer.size())) == kBearer &&
           sameSecret(authorization->substr(std::min(kBearer.size(), authorization->size())),
                      admission_.token);
  }
  const auto query = head.query("token");
  return query && head.path() == kEventsPath && sameSecret(*query, admission_.token);
}

}  // namespace velmo::remote
