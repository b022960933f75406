// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_api.h"

#include <QFile>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>

#include "tools/remote/api_paths.h"

namespace velmo::remote {
namespace {

constexpr std::chrono::seconds kSlowAnswer{1};

// Every answer: never cached, never framed by another site's page, scripts
// and connections from this remote only.
const http::Field kSafetyFields[] = {
    {"Cache-Control", "no-store"},
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
    {"Content-Security-Policy",
     "default-src 'self'; connect-src 'self'; img-src 'self' data:; style-src 'self'; "
     "frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
};

http::Response reply(int status, std::string type, std::string body) {
  http::Response response{status, std::move(type), std::move(body), {}};
  response.fields.assign(std::begin(kSafetyFields), std::end(kSafetyFields));
  return response;
}

std::string compact(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

http::Response json(const QJsonObject& object) {
  return reply(200, "application/json", compact(object));
}

http::Response error(const Refusal& refusal) {
  http::Response response = reply(refusal.status, "application/json",
                                  compact({{"error", QString::fromStdString(refusal.message)}}));
  if (refusal.status == 401) response.fields.push_back({"WWW-Authenticate", "Bearer"});
  return response;
}

std::string pushError(const Refusal& refusal) {
  return compact({{"error", QString::fromStdString(refusal.message)}, {"status", refusal.status}});
}

// The method a route names; HEAD is answered as GET (the server sends no body).
std::string_view routeMethod(const http::Request& request) {
  return request.method == "HEAD" ? "GET" : std::string_view(request.method);
}

bool matches(std::string_view routePath, std::string_view path) {
  return routePath.ends_with('/') && routePath.size() > 1 ? path.starts_with(routePath)
                                                          : path == routePath;
}

}  // namespace

struct RemoteApi::Route {
  std::string_view path;  // the whole path, or its start when it ends in '/'
  std::string_view method;
  void (RemoteApi::*handle)(const http::Request&, const Route&, std::string_view rest,
                            const Answer&);
  const char* file = nullptr;  // a page file: the resource it serves
  const char* type = nullptr;  // and its Content-Type
};

const RemoteApi::Route RemoteApi::kRoutes[] = {
    {"/", "GET", &RemoteApi::pageFile, ":/velmo/remote/index.html", "text/html; charset=utf-8"},
    {"/remote.js", "GET", &RemoteApi::pageFile, ":/velmo/remote/remote.js",
     "text/javascript; charset=utf-8"},
    {"/remote.css", "GET", &RemoteApi::pageFile, ":/velmo/remote/remote.css",
     "text/css; charset=utf-8"},
    {"/icon.svg", "GET", &RemoteApi::pageFile, ":/velmo/remote/icon.svg", "image/svg+xml"},
    {kStatePath, "GET", &RemoteApi::currentState},
    {kChaserPath, "POST", &RemoteApi::chaser},
    {kLinesPath, "PUT", &RemoteApi::line},
    {kEventsPath, "GET", &RemoteApi::events},
};

RemoteApi::RemoteApi(Admission admission, CommandRunner& commands,
                     std::function<RemoteState()> state, http::PushOutbox& push, QObject* parent)
    : QObject(parent),
      gate_(std::move(admission)),
      commands_(commands),
      state_(std::move(state)),
      push_(push) {}

void RemoteApi::serve(http::Request request, std::function<void(http::Response)> answer) {
  QMetaObject::invokeMethod(
      this,
      [this, request = std::move(request), answer = std::move(answer)] {
        this->answer(request, answer);
      },
      Qt::QueuedConnection);
}

void RemoteApi::answer(const http::Request& request, const Answer& answer) {
  auto admitted = gate_.admit(request, FailureLimiter::Clock::now());
  if (const auto* refusal = std::get_if<Refusal>(&admitted)) {
    http::Response refused = error(*refusal);
    refused.close = true;
    if (refusal->status != 429) return answer(std::move(refused));
    // An address that guessed wrong too often gets each further answer a
    // second late.
    refused.fields.push_back({"Retry-After", "60"});
    QTimer::singleShot(kSlowAnswer, this, [answer, refused] { answer(refused); });
    return;
  }
  route(request, std::get<Admitted>(admitted),
        [answer, admitted = std::get<Admitted>(admitted)](http::Response response) {
          response.authenticated = admitted.authenticated;
          answer(std::move(response));
        });
}

void RemoteApi::route(const http::Request& request, const Admitted& admitted,
                      const Answer& answer) {
  const std::string_view path = admitted.target.path;
  const auto at = [&](const Route& each) { return matches(each.path, path); };
  if (std::none_of(std::begin(kRoutes), std::end(kRoutes), at))
    return answer(error({404, "no such page: the API is under /api/v1/"}));
  std::string allowed;
  for (const Route& each : kRoutes) {
    if (!at(each)) continue;
    if (each.method == routeMethod(request))
      return (this->*each.handle)(request, each, path.substr(each.path.size()), answer);
    allowed += (allowed.empty() ? "" : ", ") + std::string(each.method);
  }
  http::Response refused = error({405, "use " + allowed + " here"});
  refused.fields.push_back({"Allow", allowed});
  answer(std::move(refused));
}

void RemoteApi::pageFile(const http::Request&, const Route& route, std::string_view,
                         const Answer& answer) {
  QFile resource(route.file);
  resource.open(QIODevice::ReadOnly);
  answer(reply(200, route.type, resource.readAll().toStdString()));
}

void RemoteApi::currentState(const http::Request&, const Route&, std::string_view,
                             const Answer& answer) {
  answer(json(toJson(state_())));
}

void RemoteApi::chaser(const http::Request& request, const Route&, std::string_view,
                       const Answer& answer) {
  runCommand(chaserCommand(QByteArray::fromStdString(request.body)), answer);
}

void RemoteApi::line(const http::Request& request, const Route&, std::string_view rest,
                     const Answer& answer) {
  runCommand(lineCommand(rest, QByteArray::fromStdString(request.body)), answer);
}

void RemoteApi::events(const http::Request& request, const Route&, std::string_view,
                       const Answer& answer) {
  if (!request.websocketUpgrade)
    return answer(error({426, "the push channel is a WebSocket: connect with one"}));
  http::Response upgrade;
  upgrade.acceptPush = true;
  answer(std::move(upgrade));
}

void RemoteApi::runCommand(const CommandOrRefusal& command, const Answer& answer) {
  if (const auto* refusal = std::get_if<Refusal>(&command)) return answer(error(*refusal));
  commands_.run(std::get<Command>(command), [answer](const BusPrograms::Outcome& outcome) {
    if (!outcome) return answer(json({{"done", true}}));
    http::Response refused = error(*outcome);
    if (outcome->status == 429) refused.fields.push_back({"Retry-After", "1"});
    answer(std::move(refused));
  });
}

void RemoteApi::broadcast(const RemoteState& state) {
  push_.broadcast(compact(toJson(state)));
}

void RemoteApi::pushOpened(http::PushClient client) {
  QMetaObject::invokeMethod(
      this, [this, client] { push_.send(client, compact(toJson(state_()))); },
      Qt::QueuedConnection);
}

void RemoteApi::pushReceived(http::PushClient client, std::string message) {
  QMetaObject::invokeMethod(
      this,
      [this, client, message = std::move(message)] {
        const CommandOrRefusal command = pushCommand(QByteArray::fromStdString(message));
        if (const auto* refusal = std::get_if<Refusal>(&command))
          return push_.send(client, pushError(*refusal));
        commands_.run(std::get<Command>(command),
                      [this, client](const BusPrograms::Outcome& outcome) {
                        if (outcome) push_.send(client, pushError(*outcome));
                      });
      },
      Qt::QueuedConnection);
}

}  // namespace velmo::remote
