// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "tools/remote/refusal.h"

namespace velmo::remote {

// A request's target as everything after the server reads it: the token
// check, the router and the handlers all see this one value, never the
// target as sent.
struct RequestTarget {
  std::string path;   // decoded: "/api/v1/state"
  std::string query;  // as sent, without the "?"

  // The decoded value of key in the query; nothing when absent or when it
  // holds what parseTarget refuses in a path.
  std::optional<std::string> queryValue(std::string_view key) const;
};

// Reads a target in origin form ("/path?query") with QUrl in its strict
// mode. Percent escapes in the path are decoded, so "/%61pi/v1/state" is
// "/api/v1/state" for every check and the router alike. Refused (400):
// anything but origin form ("//host/..." included), what QUrl finds
// malformed (a bad escape among it), a path that holds "\", a control, a
// character outside ASCII or an escaped "/" once decoded, a "." or ".."
// segment (before or after decoding), and a fragment.
std::variant<RequestTarget, Refusal> parseTarget(std::string_view target);

}  // namespace velmo::remote
