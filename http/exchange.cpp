// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/exchange.h"

#include <algorithm>
#include <cstdio>

namespace velmo::http {
namespace {

// text (UTF-8) as a JSON string, quoted and escaped.
std::string jsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

}  // namespace

std::optional<std::string_view> Request::field(std::string_view name) const {
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const Field& each) { return each.name == name; });
  if (found == fields.end()) return std::nullopt;
  return found->value;
}

std::size_t Request::count(std::string_view name) const {
  return static_cast<std::size_t>(std::count_if(
      fields.begin(), fields.end(), [&](const Field& each) { return each.name == name; }));
}

std::string errorJson(std::string_view message) {
  return "{\"error\":" + jsonString(message) + "}";
}

}  // namespace velmo::http
