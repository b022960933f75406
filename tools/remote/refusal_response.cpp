// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/refusal_response.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace velmo::remote {

QByteArray errorBody(const std::string& message) {
  return QJsonDocument(QJsonObject{{"error", QString::fromStdString(message)}})
      .toJson(QJsonDocument::Compact);
}

QByteArray reasonPhrase(int status) {
  static const std::map<int, QByteArray> kPhrases = {
      {200, "OK"},
      {400, "Bad Request"},
      {401, "Unauthorized"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {405, "Method Not Allowed"},
      {408, "Request Timeout"},
      {411, "Length Required"},
      {413, "Content Too Large"},
      {415, "Unsupported Media Type"},
      {426, "Upgrade Required"},
      {429, "Too Many Requests"},
      {431, "Request Header Fields Too Large"},
      {501, "Not Implemented"},
      {502, "Bad Gateway"},
      {503, "Service Unavailable"},
      {504, "Gateway Timeout"},
      {505, "HTTP Version Not Supported"},
  };
  const auto found = kPhrases.find(status);
  return found == kPhrases.end() ? QByteArray("Error") : found->second;
}

QByteArray refusalResponse(const Refusal& refusal) {
  const QByteArray body = errorBody(refusal.message);
  QByteArray response = "HTTP/1.1 " + QByteArray::number(refusal.status) + " " +
                        reasonPhrase(refusal.status) +
                        "\r\nContent-Type: application/json\r\nCache-Control: no-store\r\n"
                        "Connection: close\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\n";
  if (refusal.status == 401) response += "WWW-Authenticate: Bearer\r\n";
  if (refusal.status == 429) response += "Retry-After: 60\r\n";
  return response + "\r\n" + body;
}

}  // namespace velmo::remote
