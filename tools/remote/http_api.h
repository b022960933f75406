// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <functional>
#include <string_view>

#include "tools/remote/bus_programs.h"
#include "tools/remote/remote_state.h"

namespace velmo::remote {

// The page and the JSON API, served by Qt HttpServer behind the guard (see
// GuardedListener), which has already checked every request it gets:
//   GET /, /remote.js, /remote.css, /icon.svg   the page, from the program's resources
//   GET  /api/v1/state       the state (RemoteState as JSON)
//   POST /api/v1/chaser      {"pattern": 1 to 3} starts, {"pattern": 0} stops
//   PUT  /api/v1/lines/N     {"on": true or false}
//   GET  /api/v1/events      the push channel, as a WebSocket (PushChannel)
// Errors are {"error": message}: 400, 404, 405, 426, and from the programs
// 502, 503, 504 (see BusPrograms::Outcome).
class HttpApi : public QAbstractHttpServer {
  Q_OBJECT

 public:
  // A response before it is written.
  struct Reply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QByteArray allow;  // the methods a 405 names
  };

  HttpApi(BusPrograms& programs, std::function<RemoteState()> state, QObject* parent = nullptr);

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  Reply answer(const QHttpServerRequest& request);
  Reply pageFile(const QHttpServerRequest& request, std::string_view rest);
  Reply currentState(const QHttpServerRequest& request, std::string_view rest);
  Reply chaser(const QHttpServerRequest& request, std::string_view rest);
  Reply line(const QHttpServerRequest& request, std::string_view rest);
  Reply events(const QHttpServerRequest& request, std::string_view rest);
  Reply commandReply(const CommandOrRefusal& command);
  void write(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply);

  struct Route {
    std::string_view path;  // the whole path, or its start when it ends in '/'
    QByteArray method;
    Reply (HttpApi::*handle)(const QHttpServerRequest&, std::string_view rest);
  };
  static const Route kRoutes[];

  BusPrograms& programs_;
  std::function<RemoteState()> state_;
};

}  // namespace velmo::remote
