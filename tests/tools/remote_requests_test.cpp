// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/remote/command.h"
#include "tools/remote/request_framer.h"
#include "tools/remote/request_gate.h"

namespace velmo::remote {
namespace {

const std::string kToken = "00112233445566778899aabbccddeeff";
const auto kNow = FailureLimiter::Clock::time_point{} + std::chrono::hours(1);

RequestGate gate() {
  return RequestGate({{"127.0.0.1:8356", "localhost:8356"}, kToken});
}

// The status the guard answers bytes with, 0 when the request passes.
int verdict(RequestGate& gate, const std::string& bytes,
            FailureLimiter::Clock::time_point now = kNow) {
  RequestFramer framer({});
  framer.take(bytes);
  const auto outcome =
      framer.next([&](const RequestHead& head) { return gate.check(head, "10.0.0.2", now); });
  if (const auto* refusal = std::get_if<Refusal>(&outcome)) return refusal->status;
  return std::holds_alternative<RequestFramer::Request>(outcome) ? 0 : -1;
}

std::string request(const std::string& line, const std::string& fields) {
  return line + " HTTP/1.1\r\nHost: 127.0.0.1:8356\r\n" + fields + "\r\n";
}

TEST(RemoteRequestsTest, EachRequestIsPassedOrRefusedWithItsStatus) {
  const std::string bearer = "Authorization: Bearer " + kToken + "\r\n";
  const std::string json = bearer + "Content-Type: application/json\r\nContent-Length: 2\r\n";
  const std::string upgrade = "Upgrade: websocket\r\nConnection: Upgrade\r\n";
  const struct {
    std::string bytes;
    int status;
  } cases[] = {
      {request("GET /", ""), 0},  // the page needs no token
      {request("GET /api/v1/state", bearer), 0},
      {request("GET /api/v1/state", ""), 401},
      {request("GET /api/v1/state", "Authorization: Bearer " + std::string(32, 'f') + "\r\n"), 401},
      {request("GET /api/v1/state?token=" + kToken, ""), 401},  // only the push channel's way
      {request("GET /api/v1/events?token=" + kToken, upgrade), 0},
      {request("GET /api/v1/state", bearer + upgrade), 400},
      {"GET / HTTP/1.1\r\nHost: LOCALHOST:8356\r\n\r\n", 0},
      {"GET / HTTP/1.1\r\nHost: attacker.example:8356\r\n\r\n", 403},  // DNS rebinding
      {"GET / HTTP/1.1\r\n\r\n", 400},
      {request("GET /", "Host: localhost:8356\r\n"), 400},
      {request("GET /api/v1/state", bearer + "Origin: http://127.0.0.1:8356\r\n"), 0},
      {request("GET /api/v1/state", bearer + "Origin: http://attacker.example\r\n"), 403},
      {request("GET /api/v1/state", bearer + "Origin: null\r\n"), 403},
      {request("GET /api/v1/state", bearer + "Sec-Fetch-Site: cross-site\r\n"), 403},
      {request("POST /api/v1/chaser", json) + "{}", 0},
      {request("POST /api/v1/chaser", bearer + "Content-Length: 2\r\n") + "{}", 415},
      {request(
           "POST /api/v1/chaser",
           bearer + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 2\r\n") +
           "{}",
       415},
      {request("POST /api/v1/chaser", bearer + "Content-Type: application/json\r\n"), 411},
      {request("PUT /api/v1/lines/1", bearer + "Content-Length: 4097\r\n"), 413},
      {request("PUT /api/v1/lines/1", json + "Content-Length: 2\r\n") + "{}", 400},
      {request("PUT /api/v1/lines/1", bearer + "Content-Length: 2x\r\n"), 400},
      {request("PUT /api/v1/lines/1", bearer + "Transfer-Encoding: chunked\r\n"), 501},
      {"GET / HTTP/1.1\nHost: 127.0.0.1:8356\r\n\r\n", 400},
      {request("GET /", "X-A: b\r\n folded\r\n"), 400},
      {request("GET /", "X-A: b\x01\r\n"), 400},
      {"GET / HTTP/2.0\r\nHost: 127.0.0.1:8356\r\n\r\n", 505},
      {"GET /" + std::string(8200, 'a'), 431},  // no end of head yet
  };
  for (const auto& row : cases) {
    RequestGate each = gate();
    EXPECT_EQ(verdict(each, row.bytes), row.status) << row.bytes;
  }
  std::string fields;
  for (int i = 0; i < 32; ++i) fields += "X-" + std::to_string(i) + ": 1\r\n";
  RequestGate many = gate();
  EXPECT_EQ(verdict(many, request("GET /", fields)), 431);
}

TEST(RemoteRequestsTest, WrongTokensBlockTheirAddressForAMinute) {
  RequestGate guarded = gate();
  const std::string wrong = request("GET /api/v1/state", "Authorization: Bearer x\r\n");
  const std::string right =
      request("GET /api/v1/state", "Authorization: Bearer " + kToken + "\r\n");
  for (int i = 0; i < FailureLimiter::kMaxFailures; ++i) EXPECT_EQ(verdict(guarded, wrong), 401);
  EXPECT_EQ(verdict(guarded, right), 429);
  EXPECT_EQ(verdict(guarded, request("GET /", "")), 0);  // the page still loads
  EXPECT_EQ(verdict(guarded, right, kNow + FailureLimiter::kWindow), 0);
}

TEST(RemoteRequestsTest, ARequestIsPassedOnWholeOnceItsBodyIsIn) {
  RequestFramer framer({});
  const auto pass = [](const RequestHead&) { return std::optional<Refusal>(); };
  const std::string first = request("PUT /a", "Content-Length: 11\r\n") + "{\"on\":true}";
  const std::string second = request("GET /b", "");
  framer.take(first.substr(0, first.size() - 3));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(framer.next(pass)));
  framer.take(first.substr(first.size() - 3) + second);
  for (const std::string& expected : {first, second}) {
    auto outcome = framer.next(pass);
    ASSERT_TRUE(std::holds_alternative<RequestFramer::Request>(outcome));
    EXPECT_EQ(std::get<RequestFramer::Request>(outcome).bytes, expected);
  }
  EXPECT_TRUE(framer.idle());
}

TEST(RemoteRequestsTest, CommandsTakeOnlyTheirValidValues) {
  const struct {
    CommandOrRefusal parsed;
    std::optional<Command> command;  // nothing: refused
  } cases[] = {
      {chaserCommand(R"({"pattern": 2})"), ChaserCommand{2}},
      {chaserCommand(R"({"pattern": 0})"), ChaserCommand{0}},
      {chaserCommand(R"({"pattern": 4})"), std::nullopt},
      {chaserCommand(R"({"pattern": 1.5})"), std::nullopt},
      {chaserCommand(R"({"pattern": "1"})"), std::nullopt},
      {chaserCommand("pattern=1"), std::nullopt},
      {chaserCommand("[1]"), std::nullopt},
      {lineCommand("8", R"({"on": true})"), LineCommand{8, true}},
      {lineCommand("1", R"({"on": 1})"), std::nullopt},
      {lineCommand("0", R"({"on": false})"), std::nullopt},
      {lineCommand("3x", R"({"on": false})"), std::nullopt},
      {pushCommand(R"({"line": 3, "on": false})"), LineCommand{3, false}},
      {pushCommand(R"({"pattern": 3})"), ChaserCommand{3}},
      {pushCommand(R"({"line": 9, "on": true})"), std::nullopt},
  };
  for (const auto& row : cases) {
    const auto* command = std::get_if<Command>(&row.parsed);
    EXPECT_EQ(command ? std::optional(*command) : std::nullopt, row.command);
  }
  EXPECT_EQ(oscCommand("/velmo/chaser", 2), Command(ChaserCommand{2}));
  EXPECT_EQ(oscCommand("/velmo/line/4", 1.0), Command(LineCommand{4, true}));
  EXPECT_EQ(oscCommand("/velmo/line/4", 0), Command(LineCommand{4, false}));
  EXPECT_EQ(oscCommand("/velmo/line/4", 0.5), std::nullopt);
  EXPECT_EQ(oscCommand("/velmo/line/9", 1), std::nullopt);
  EXPECT_EQ(oscCommand("/velmo/chaser", -1), std::nullopt);
  EXPECT_EQ(oscCommand("/other", 1), std::nullopt);
}

}  // namespace
}  // namespace velmo::remote
