// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/refusal.h"

#include <cstdio>

namespace velmo::remote {

std::string errorJson(std::string_view message) {
  return "{\"error\":" + jsonString(message) + "}";
}

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

}  // namespace velmo::remote
