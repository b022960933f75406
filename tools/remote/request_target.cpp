// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_target.h"

#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace velmo::remote {
namespace {

Refusal badTarget(std::string why) {
  return {400, "the address " + why};
}

// Whether a decoded path or value holds only what a path segment or a token
// may: visible ASCII, no "\", and no "/" that was sent escaped.
bool plain(const QString& decoded, const QString& encoded) {
  const bool escapedSlash = encoded.contains("%2F", Qt::CaseInsensitive);
  return !escapedSlash && std::all_of(decoded.begin(), decoded.end(), [](QChar c) {
    return c.unicode() >= 0x21 && c.unicode() <= 0x7e && c != '\\';
  });
}

bool hasDotSegment(const QString& path) {
  const QStringList segments = path.split('/');
  return segments.contains(".") || segments.contains("..");
}

}  // namespace

std::optional<std::string> RequestTarget::queryValue(std::string_view key) const {
  const QUrlQuery items(QString::fromUtf8(query.data(), static_cast<qsizetype>(query.size())));
  const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  if (!items.hasQueryItem(name)) return std::nullopt;
  const QString value = items.queryItemValue(name, QUrl::FullyDecoded);
  if (!plain(value, items.queryItemValue(name, QUrl::FullyEncoded))) return std::nullopt;
  return value.toStdString();
}

std::variant<RequestTarget, Refusal> parseTarget(std::string_view target) {
  // "//host/path" would name a host: origin form is one "/" and a path.
  if (!target.starts_with('/') || target.starts_with("//"))
    return badTarget("must be a path from \"/\"");
  const QUrl url = QUrl::fromEncoded(
      QByteArray(target.data(), static_cast<qsizetype>(target.size())), QUrl::StrictMode);
  if (!url.isValid()) return badTarget("is malformed: " + url.errorString().toStdString());
  if (url.hasFragment()) return badTarget("may not hold a \"#\"");
  const QString path = url.path(QUrl::FullyDecoded);
  if (!plain(path, url.path(QUrl::FullyEncoded)))
    return badTarget("holds an escape that names no plain character");
  if (hasDotSegment(path)) return badTarget("may not hold \".\" or \"..\" segments");
  return RequestTarget{path.toStdString(), url.query(QUrl::FullyEncoded).toStdString()};
}

}  // namespace velmo::remote
