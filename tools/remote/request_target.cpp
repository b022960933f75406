// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/request_target.h"

namespace velmo::remote {
namespace {

Refusal badTarget(std::string why) {
  return {400, "the address " + why};
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// text with its percent escapes decoded; nothing when an escape is
// malformed or decodes to a byte that a path or value may not hold.
std::optional<std::string> decoded(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      plain += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
    const int low = high < 0 ? -1 : hexDigit(text[i + 2]);
    if (low < 0) return std::nullopt;
    const auto byte = static_cast<unsigned char>(high * 16 + low);
    if (byte < 0x21 || byte > 0x7e || byte == '/' || byte == '\\') return std::nullopt;
    plain += static_cast<char>(byte);
    i += 2;
  }
  return plain;
}

bool hasDotSegment(std::string_view path) {
  for (std::size_t start = 1; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::optional<std::string> RequestTarget::queryValue(std::string_view key) const {
  std::string_view rest = query;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('&'), rest.size());
    const std::string_view pair = rest.substr(0, end);
    const std::size_t equals = pair.find('=');
    if (pair.substr(0, equals) == key)
      return equals == std::string_view::npos ? "" : decoded(pair.substr(equals + 1));
    rest = rest.substr(std::min(end + 1, rest.size()));
  }
  return std::nullopt;
}

std::variant<RequestTarget, Refusal> parseTarget(std::string_view target) {
  if (!target.starts_with('/')) return badTarget("must be a path from \"/\"");
  if (target.find('#') != std::string_view::npos) return badTarget("may not hold a \"#\"");
  const std::size_t question = target.find('?');
  const std::string_view sent = target.substr(0, question);
  const auto path = decoded(sent);
  if (!path) return badTarget("holds an escape that is malformed or names no plain character");
  if (hasDotSegment(*path)) return badTarget("may not hold \".\" or \"..\" segments");
  return RequestTarget{
      *path, std::string(question == std::string_view::npos ? "" : target.substr(question + 1))};
}

}  // namespace velmo::remote
