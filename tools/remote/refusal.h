// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo::remote {

// A request or command that is not carried out: the HTTP status and a
// message for people that says what is wrong.
struct Refusal {
  int status;
  std::string message;

  bool operator==(const Refusal&) const = default;
};

// {"error": message} as JSON text: the body of every refusal.
std::string errorJson(std::string_view message);

// text (UTF-8) as a JSON string, quoted and escaped.
std::string jsonString(std::string_view text);

}  // namespace velmo::remote
