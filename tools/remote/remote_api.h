// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string_view>

#include "http/exchange.h"
#include "tools/remote/command_runner.h"
#include "tools/remote/remote_state.h"
#include "tools/remote/request_gate.h"

namespace velmo::remote {

// What each request to the remote gets, decided on the event loop's thread
// (http::Server's calls are moved onto it): RequestGate admits it, and the
// route of the target the gate admitted answers it:
//   GET /, /remote.js, /remote.css, /icon.svg   the page, from the program's resources
//   GET  /api/v1/state       the state (RemoteState as JSON)
//   POST /api/v1/chaser      {"pattern": 1 to 3} starts, {"pattern": 0} stops
//   PUT  /api/v1/lines/N     {"on": true or false}
//   GET  /api/v1/events      the push channel, a WebSocket: the state at once and on
//                            every change out, commands ({"pattern": N},
//                            {"line": N, "on": B}) in
// Errors are {"error": message}: the gate's refusals, 400, 404, 405, 426,
// and from the commands 429, 502, 503, 504 (see CommandRunner::run).
class RemoteApi : public QObject, public http::Service {
  Q_OBJECT

 public:
  RemoteApi(Admission admission, CommandRunner& commands, std::function<RemoteState()> state,
            http::PushOutbox& push, QObject* parent = nullptr);

  // Who may use the remote from now on.
  void admit(Admission admission) { gate_ = RequestGate(std::move(admission)); }

  // Sends state to every push client.
  void broadcast(const RemoteState& state);

  void serve(http::Request request, std::function<void(http::Response)> answer) override;
  void pushOpened(http::PushClient client) override;
  void pushReceived(http::PushClient client, std::string message) override;
  void pushClosed(http::PushClient) override {}

 private:
  using Answer = std::function<void(http::Response)>;
  struct Route;
  static const Route kRoutes[];

  void answer(const http::Request& request, const Answer& answer);
  void route(const http::Request& request, const Admitted& admitted, const Answer& answer);
  // Each route's handler gets the request, its route, and what follows the
  // route's path in the admitted target.
  void pageFile(const http::Request&, const Route& route, std::string_view, const Answer& answer);
  void currentState(const http::Request&, const Route&, std::string_view, const Answer& answer);
  void chaser(const http::Request& request, const Route&, std::string_view, const Answer& answer);
  void line(const http::Request& request, const Route&, std::string_view rest,
            const Answer& answer);
  void events(const http::Request& request, const Route&, std::string_view, const Answer& answer);
  void runCommand(const CommandOrRefusal& command, const Answer& answer);

  RequestGate gate_;
  CommandRunner& commands_;
  std::function<RemoteState()> state_;
  http::PushOutbox& push_;
};

}  // namespace velmo::remote
