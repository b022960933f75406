// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/http_api.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <algorithm>

#include "tools/remote/api_paths.h"
#include "tools/remote/refusal_response.h"

namespace velmo::remote {
namespace {

struct PageFile {
  std::string_view path;
  const char* resource;
  const char* type;
};

constexpr PageFile kPageFiles[] = {
    {"/", ":/velmo/remote/index.html", "text/html; charset=utf-8"},
    {"/remote.js", ":/velmo/remote/remote.js", "text/javascript; charset=utf-8"},
    {"/remote.css", ":/velmo/remote/remote.css", "text/css; charset=utf-8"},
    {"/icon.svg", ":/velmo/remote/icon.svg", "image/svg+xml"},
};

// Every answer: never cached, never framed by another site's page, scripts
// and connections from this remote only.
const std::pair<QByteArray, QByteArray> kSafetyFields[] = {
    {"Cache-Control", "no-store"},
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
    {"Content-Security-Policy",
     "default-src 'self'; connect-src 'self'; img-src 'self' data:; style-src 'self'; "
     "frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
};

HttpApi::Reply json(const QJsonObject& object, int status = 200) {
  return {status, "application/json", QJsonDocument(object).toJson(QJsonDocument::Compact), {}};
}

HttpApi::Reply error(int status, const std::string& message) {
  return {status, "application/json", errorBody(message), {}};
}

// The method a route names; HEAD is answered as GET, without the body.
QByteArray methodName(const QHttpServerRequest& request) {
  using Method = QHttpServerRequest::Method;
  static const std::pair<Method, QByteArray> kNames[] = {
      {Method::Get, "GET"},        {Method::Head, "GET"},    {Method::Post, "POST"},
      {Method::Put, "PUT"},        {Method::Patch, "PATCH"}, {Method::Delete, "DELETE"},
      {Method::Options, "OPTIONS"}};
  for (const auto& [method, name] : kNames) {
    if (request.method() == method) return name;
  }
  return "OTHER";
}

bool matches(std::string_view routePath, std::string_view path) {
  return routePath.ends_with('/') && routePath.size() > 1 ? path.starts_with(routePath)
                                                          : path == routePath;
}

}  // namespace

const HttpApi::Route HttpApi::kRoutes[] = {
    {"/", "GET", &HttpApi::pageFile},
    {"/remote.js", "GET", &HttpApi::pageFile},
    {"/remote.css", "GET", &HttpApi::pageFile},
    {"/icon.svg", "GET", &HttpApi::pageFile},
    {kStatePath, "GET", &HttpApi::currentState},
    {kChaserPath, "POST", &HttpApi::chaser},
    {kLinesPath, "PUT", &HttpApi::line},
    {kEventsPath, "GET", &HttpApi::events},
};

HttpApi::HttpApi(BusPrograms& programs, std::function<RemoteState()> state, QObject* parent)
    : QAbstractHttpServer(parent), programs_(programs), state_(std::move(state)) {}

bool HttpApi::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  // The guard lets an upgrade through on the push channel only. Taking it
  // here without an answer lets Qt hand it to its WebSocket server.
  if (!request.value("upgrade").isEmpty()) return true;
  write(request, socket, answer(request));
  return true;
}

void HttpApi::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
  write(request, socket, error(404, "no such page"));
}

HttpApi::Reply HttpApi::answer(const QHttpServerRequest& request) {
  const QByteArray encoded = request.url().path(QUrl::FullyEncoded).toUtf8();
  const std::string_view path(encoded.constData(), static_cast<std::size_t>(encoded.size()));
  const auto at = [&](const Route& route) { return matches(route.path, path); };
  const auto first = std::find_if(std::begin(kRoutes), std::end(kRoutes), at);
  if (first == std::end(kRoutes)) return error(404, "no such page: the API is under /api/v1/");
  QByteArray allowed;
  for (const Route& route : kRoutes) {
    if (!at(route)) continue;
    if (route.method == methodName(request))
      return (this->*route.handle)(request, path.substr(route.path.size()));
    allowed += (allowed.isEmpty() ? "" : ", ") + route.method;
  }
  Reply refused = error(405, "use " + allowed.toStdString() + " here");
  refused.allow = allowed;
  return refused;
}

HttpApi::Reply HttpApi::pageFile(const QHttpServerRequest& request, std::string_view) {
  const std::string path = request.url().path().toStdString();
  const auto file = std::find_if(std::begin(kPageFiles), std::end(kPageFiles),
                                 [&](const PageFile& each) { return each.path == path; });
  QFile resource(file->resource);
  resource.open(QIODevice::ReadOnly);
  return {200, file->type, resource.readAll(), {}};
}

HttpApi::Reply HttpApi::currentState(const QHttpServerRequest&, std::string_view) {
  return json(toJson(state_()));
}

HttpApi::Reply HttpApi::chaser(const QHttpServerRequest& request, std::string_view) {
  return commandReply(chaserCommand(request.body()));
}

HttpApi::Reply HttpApi::line(const QHttpServerRequest& request, std::string_view rest) {
  return commandReply(lineCommand(rest, request.body()));
}

HttpApi::Reply HttpApi::events(const QHttpServerRequest&, std::string_view) {
  return error(426, "the push channel is a WebSocket: connect with one");
}

HttpApi::Reply HttpApi::commandReply(const CommandOrRefusal& command) {
  if (const auto* refusal = std::get_if<Refusal>(&command))
    return error(refusal->status, refusal->message);
  if (const auto refusal = programs_.sendAndWait(std::get<Command>(command)))
    return error(refusal->status, refusal->message);
  return json({{"done", true}});
}

void HttpApi::write(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
  QHttpServerResponder responder = makeResponder(request, socket);
  responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
  responder.writeHeader("Content-Type", reply.contentType);
  responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
  if (!reply.allow.isEmpty()) responder.writeHeader("Allow", reply.allow);
  for (const auto& [name, value] : kSafetyFields) responder.writeHeader(name, value);
  const bool head = request.method() == QHttpServerRequest::Method::Head;
  responder.writeBody(head ? QByteArray() : reply.body);
}

}  // namespace velmo::remote
